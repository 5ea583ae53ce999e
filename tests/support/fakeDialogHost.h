// A dialog host for the dialog logic's tests: a window that exists only as recorded state.
// It is built from a template as the real hosts are (captions, combo entries), keeps what
// the logic sets, logs every call that changes something, and lets a test play the user:
// clicks (check boxes with autoCheck toggle first), timer ticks, system commands, Enter,
// Escape, close requests and paints.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogHost.h"
#include "tests/support/fakeOutputFile.h"

class FakeDialogToolkit;

class FakeDialogHost : public dlg::DialogHost {
public:
    struct Control {
        dlg::ControlKind kind = dlg::ControlKind::label;
        std::uint32_t styles = 0;
        std::string text;
        int checked = 0;
        bool enabled = true;
        std::vector<std::string> entries;
        int selection = -1;
    };
    struct MenuItem {
        bool separator;
        int command;
        std::string text;
        bool checked = false;
    };

    FakeDialogHost(const dlg::DialogTemplate& dialogTemplate, FakeDialogToolkit* toolkit = nullptr);

    // The logic's side
    std::string text(int id) const override;
    void setText(int id, std::string_view text) override;
    void appendText(int id, std::string_view text) override;
    void setCaption(std::string_view text) override;
    int checked(int id) const override;
    void setChecked(int id, int state) override;
    void enable(int id, bool on) override;
    bool isEnabled(int id) const override;
    void comboReset(int id) override;
    int comboAdd(int id, std::string_view text) override;
    void comboSelect(int id, int index) override;
    int comboSelection(int id) const override;
    int comboCount(int id) const override;
    std::string comboEntry(int id, int index) const override;
    void focusSelectAll(int id) override;
    void setTimer(int id, unsigned ms) override;
    void killTimer(int id) override;
    void messageBox(std::string_view text) override;
    bool hasSystemMenu() const override { return systemMenu; }
    void appendMenuSeparator() override;
    void appendMenuItem(int command, std::string_view text) override;
    void setMenuItemChecked(int command, bool on) override;
    void setMenuItemText(int command, std::string_view text) override;
    bool askSaveFile(std::string_view fileName, std::string& path, std::string& shownPath) override;
    std::unique_ptr<dlg::OutputFile> createFile(const std::string& path, dlg::FileError& error) override;
    void watchDevices() override { watchingDevices = true; }
    void setIcon(dlg::IconHandle icon) override;
    bool isMinimized() const override { return minimized; }
    dlg::Size clientSize() const override { return client; }
    dlg::Size systemIconSize() const override { return iconSize; }
    void beginPaint() override;
    void eraseIconBackground() override;
    void drawIcon(int x, int y, dlg::IconHandle icon) override;
    void endPaint() override;
    void endDialog(int code) override;
    int runModal(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events) override;

    // The test's side: the user and the window system
    void attach(dlg::DialogEvents& events) { events_ = &events; }
    bool initDialog(dlg::DialogEvents& events);  // attach, then onInitDialog
    dlg::EventResult click(int id);
    dlg::EventResult tick(int timerId);
    dlg::EventResult systemCommand(int command);
    dlg::EventResult devicesChanged();  // a hot-plug notification
    dlg::EventResult paint();
    dlg::EventResult queryDragIcon();
    void pressEnter() { events_->onOk(); }
    void pressEscape() { events_->onCancel(); }
    void requestClose();  // the close event, then Cancel when it is not handled
    void typeText(int id, std::string_view text) { control(id).text = text; }

    // What the logic did
    Control& control(int id);
    const Control& control(int id) const;
    std::string caption;
    std::map<int, unsigned> timers;  // running timers and their periods
    std::vector<std::string> messages;
    std::function<void(std::string_view)> onMessage;  // runs while a message box is up
    std::vector<MenuItem> menu;
    MenuItem* menuItem(int command);  // null when there is none
    std::vector<std::string> saveAsked;           // the file names the save dialog was opened with
    std::function<void()> whileSaveAsked;         // runs while the save dialog is up
    std::optional<std::string> saveAnswer;        // the path the user chooses; none: cancels
    std::optional<dlg::FileError> createFails;    // createFile fails so
    std::map<std::string, std::shared_ptr<FakeFileState>> files;  // made by createFile, by path
    bool watchingDevices = false;  // watchDevices was called
    dlg::IconHandle icon = nullptr;
    int focus = 0;  // the control that got the focus with its text selected
    std::vector<std::string> calls;  // every changing call, in order ("killTimer 1", ...)
    std::vector<std::string> appended;  // the text of every appendText, in order
    int endCode = 0;                 // 0 while the dialog runs
    std::vector<int> modalRuns;      // templates run modally over this window

    // The window system's answers
    bool systemMenu = true;
    bool minimized = false;
    dlg::Size client{681, 500};
    dlg::Size iconSize{32, 32};

private:
    const dlg::DialogTemplate& template_;
    FakeDialogToolkit* toolkit_;
    dlg::DialogEvents* events_ = nullptr;
    std::map<int, Control> controls_;
};

// A toolkit that runs each modal dialog on a fake host: the dialog is initialised, then the
// test's script for that template plays the user, and the end code is returned (0 when the
// script did not end it). The hosts stay for inspection.
class FakeDialogToolkit : public dlg::DialogToolkit {
public:
    using Script = std::function<void(FakeDialogHost& host)>;

    dlg::IconHandle loadIcon(int iconId) override;
    std::string loadString(int stringId) override;
    int runModal(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events) override;

    std::map<int, Script> scripts;         // by template id
    std::map<int, std::string> strings;    // loadString's answers; others come from resources
    std::vector<int> iconsLoaded;
    std::vector<std::unique_ptr<FakeDialogHost>> hosts;  // one per modal run, in order

    // The handle loadIcon gives for an icon identifier.
    static dlg::IconHandle iconHandle(int iconId);
};
