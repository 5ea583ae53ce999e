#pragma once
// One dialog window built in memory from a template: the Win32 host of the dialog logic. The
// system's dialog manager runs it (DialogBoxIndirectParamW); its dialog procedure turns window
// messages into the logic's events, and only the logic's endDialog ends it.

#include <windows.h>

#include "platform/dialogHost.h"
#include "platform/win32/deviceNotifications.h"

namespace win32 {

class Win32Dialog final : public dlg::DialogHost {
public:
    // Builds the window, lets the logic initialise it, shows it and runs it modally over owner
    // (none: the program's window) until endDialog; returns the end code.
    static int run(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events, HWND owner);

    HWND window() const { return window_; }

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

private:
    Win32Dialog(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events)
        : template_(dialog), events_(events) {}

    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR initDialog();
    INT_PTR command(WPARAM wParam, LPARAM lParam);
    INT_PTR paint();
    // The answer to an event whose default processing is the dialog manager's.
    INT_PTR event(dlg::EventKind kind, int id = 0);

    HWND item(int id) const;
    bool isKind(int id, dlg::ControlKind kind) const;
    bool isMultiLineEdit(int id) const;

    const dlg::DialogTemplate& template_;
    dlg::DialogEvents& events_;
    HWND window_ = nullptr;
    bool painting_ = false;  // inside WM_PAINT, where beginPaint may paint
    PAINTSTRUCT paint_{};
    HDC paintDc_ = nullptr;
    DeviceNotifications devices_;
};

}  // namespace win32
