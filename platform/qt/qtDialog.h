#pragma once
// One dialog window built from a template: the Qt host of the dialog logic.
//
// Only endDialog ends the window. Qt's own ways of closing a dialog (Escape, the close
// button, accept/reject) are routed to the logic instead: Escape calls onCancel, a close
// request sends the close event, whose default processing is onCancel.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QBasicTimer>
#include <QDialog>
#include <QPainter>

#include "platform/dialogHost.h"
#include "platform/qt/dialogUnits.h"

class DeviceEvents;
class QAction;
class QEventLoop;
class QMenu;

class QtDialog final : public QDialog, public dlg::DialogHost {
public:
    QtDialog(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events, QWidget* parent = nullptr);
    ~QtDialog() override;

    // Builds the window, lets the logic initialise it, shows it and runs it until endDialog;
    // returns the end code. `beforeShow` sees the initialised window just before it shows.
    static int run(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events, QWidget* parent,
                   const std::function<void(QtDialog&)>& beforeShow = {});

    const dlg::DialogTemplate& dialogTemplate() const { return template_; }
    const DialogUnits& units() const { return units_; }
    // The widget of a control by identifier, or by its place in the template; nullptr if none.
    QWidget* control(int id) const;
    QWidget* controlAt(int index) const;

    // dlg::DialogHost
    std::string text(int id) const override;
    void setText(int id, std::string_view text) override;
    void appendText(int id, std::string_view text) override;
    void setCaption(std::string_view text) override;
    int checked(int id) const override;
    void setChecked(int id, int state) override;
    void enable(int id, bool on) override;
    bool isEnabled(int id) const override;
    using QWidget::isEnabled;
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
    bool hasSystemMenu() const override;
    void appendMenuSeparator() override;
    void appendMenuItem(int command, std::string_view text) override;
    void setMenuItemChecked(int command, bool on) override;
    void setMenuItemText(int command, std::string_view text) override;
    bool askSaveFile(std::string_view fileName, std::string& path, std::string& shownPath) override;
    std::unique_ptr<dlg::OutputFile> createFile(const std::string& path, dlg::FileError& error) override;
    void watchDevices() override;
    void setIcon(dlg::IconHandle icon) override;
    bool isMinimized() const override;
    dlg::Size clientSize() const override;
    dlg::Size systemIconSize() const override;
    void beginPaint() override;
    void eraseIconBackground() override;
    void drawIcon(int x, int y, dlg::IconHandle icon) override;
    void endPaint() override;
    void endDialog(int code) override;
    int runModal(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int) override {}  // accept() and reject() must not end the dialog

private:
    struct Control {
        const dlg::ControlTemplate* source;
        QWidget* widget;
    };

    void createControls();
    void setUpTabOrder();
    void focusFirstTabStop();
    int runLoop();  // shows the window and runs until endDialog
    void clicked(const Control& control);
    // Enter, Escape and typed characters in a control; true when the dialog took the key.
    bool controlKey(const Control& control, const QKeyEvent& key);
    bool dialogKey(const QKeyEvent& key);
    const Control* find(int id) const;
    QAction* menuItem(int command) const;
    template <class W>
    W* widget(int id) const;

    const dlg::DialogTemplate& template_;
    dlg::DialogEvents& events_;
    DialogUnits units_;
    std::vector<Control> controls_;
    std::unordered_map<const QObject*, std::size_t> keyWatch_;  // watched widget -> control
    std::map<int, QBasicTimer> timers_;                         // by the logic's identifier
    QMenu* systemMenu_ = nullptr;                               // the context menu stands in
    std::optional<QPainter> painter_;
    bool painting_ = false;
    std::unique_ptr<DeviceEvents> devices_;  // after watchDevices
    QEventLoop* loop_ = nullptr;
    bool ended_ = false;
    int endCode_ = 0;
};
