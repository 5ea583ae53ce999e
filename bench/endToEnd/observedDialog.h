#pragma once
// The program's window as the benchmarks see it: the real host (Qt, or Win32 under Wine) and
// the real main dialog, with an observer at the dialog-host seam between them. It counts the
// bytes the logic appends to the receive box and times each display tick, and changes nothing
// else.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/dialogHost.h"

// Forwards every call to the real host; counts what is appended to the receive box.
class ObservedHost final : public dlg::DialogHost {
public:
    explicit ObservedHost(dlg::DialogHost& real) : real_(real) {}

    std::uint64_t shownBytes = 0;  // appended to IDC_RXTEXT since the window opened
    std::string saveTo;            // when set, the save dialog is not shown: this is the answer

    std::string text(int id) const override { return real_.text(id); }
    void setText(int id, std::string_view text) override { real_.setText(id, text); }
    void appendText(int id, std::string_view text) override;
    void setCaption(std::string_view text) override { real_.setCaption(text); }
    int checked(int id) const override { return real_.checked(id); }
    void setChecked(int id, int state) override { real_.setChecked(id, state); }
    void enable(int id, bool on) override { real_.enable(id, on); }
    bool isEnabled(int id) const override { return real_.isEnabled(id); }
    void comboReset(int id) override { real_.comboReset(id); }
    int comboAdd(int id, std::string_view text) override { return real_.comboAdd(id, text); }
    void comboSelect(int id, int index) override { real_.comboSelect(id, index); }
    int comboSelection(int id) const override { return real_.comboSelection(id); }
    int comboCount(int id) const override { return real_.comboCount(id); }
    std::string comboEntry(int id, int index) const override { return real_.comboEntry(id, index); }
    void focusSelectAll(int id) override { real_.focusSelectAll(id); }
    void setTimer(int id, unsigned ms) override { real_.setTimer(id, ms); }
    void killTimer(int id) override { real_.killTimer(id); }
    void messageBox(std::string_view text) override { real_.messageBox(text); }
    bool hasSystemMenu() const override { return real_.hasSystemMenu(); }
    void appendMenuSeparator() override { real_.appendMenuSeparator(); }
    void appendMenuItem(int command, std::string_view text) override { real_.appendMenuItem(command, text); }
    void setMenuItemChecked(int command, bool on) override { real_.setMenuItemChecked(command, on); }
    void setMenuItemText(int command, std::string_view text) override { real_.setMenuItemText(command, text); }
    bool askSaveFile(std::string_view fileName, std::string& path, std::string& shownPath) override {
        if (saveTo.empty()) return real_.askSaveFile(fileName, path, shownPath);
        path = shownPath = saveTo;
        return true;
    }
    std::unique_ptr<dlg::OutputFile> createFile(const std::string& path, dlg::FileError& error) override {
        return real_.createFile(path, error);
    }
    void watchDevices() override { real_.watchDevices(); }
    void setIcon(dlg::IconHandle icon) override { real_.setIcon(icon); }
    bool isMinimized() const override { return real_.isMinimized(); }
    dlg::Size clientSize() const override { return real_.clientSize(); }
    dlg::Size systemIconSize() const override { return real_.systemIconSize(); }
    void beginPaint() override { real_.beginPaint(); }
    void eraseIconBackground() override { real_.eraseIconBackground(); }
    void drawIcon(int x, int y, dlg::IconHandle icon) override { real_.drawIcon(x, y, icon); }
    void endPaint() override { real_.endPaint(); }
    void endDialog(int code) override { real_.endDialog(code); }
    int runModal(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events) override {
        return real_.runModal(dialog, events);
    }

private:
    dlg::DialogHost& real_;
};

// Forwards every event to the dialog, which sees the observed host; times the display ticks.
class ObservedEvents final : public dlg::DialogEvents {
public:
    explicit ObservedEvents(dlg::DialogEvents& dialog) : dialog_(dialog) {}

    // Called after each display tick with the time the logic took for it, in seconds.
    std::function<void(double)> afterDisplayTick;
    // The real window's host and the observer, once the window exists.
    dlg::DialogHost* real = nullptr;
    std::unique_ptr<ObservedHost> host;

    bool onInitDialog(dlg::DialogHost& real) override;
    dlg::EventResult onEvent(const dlg::DialogEvent& event) override;
    void onOk() override { dialog_.onOk(); }
    void onCancel() override { dialog_.onCancel(); }

private:
    dlg::DialogEvents& dialog_;
};

// A real toolkit (QtToolkit, win32::Win32Toolkit), running the program's window with the
// observer in between.
template <class Toolkit>
class ObservedToolkit final : public dlg::DialogToolkit {
public:
    explicit ObservedToolkit(std::function<void(ObservedEvents&)> prepare) : prepare_(std::move(prepare)) {}

    dlg::IconHandle loadIcon(int iconId) override { return real_.loadIcon(iconId); }
    std::string loadString(int stringId) override { return real_.loadString(stringId); }
    int runModal(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events) override {
        ObservedEvents observed(events);
        if (prepare_) prepare_(observed);
        return real_.runModal(dialog, observed);
    }

private:
    Toolkit real_;
    std::function<void(ObservedEvents&)> prepare_;  // sees the observer before the window is built
};
