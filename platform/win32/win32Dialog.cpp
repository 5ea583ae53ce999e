#include "platform/win32/win32Dialog.h"

#include <algorithm>
#include <string>

#include "platform/win32/codePage936.h"
#include "platform/win32/dialogReadyHook.h"
#include "platform/win32/dialogTemplateEx.h"
#include "platform/win32/editText.h"
#include "platform/win32/outputFile.h"
#include "platform/win32/programName.h"
#include "platform/win32/saveDialog.h"
#include "platform/win32/textBox.h"

using dlg::ControlKind;
using dlg::EventKind;

namespace win32 {

namespace {

// An edit box shows no NUL: the text would end there.
std::wstring shown(std::string_view cp936Text) {
    std::wstring text = cp936::toUtf16(cp936Text);
    std::erase(text, L'\0');
    return text;
}

std::string windowText(HWND window) {
    if (window == nullptr) return {};
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
    return cp936::fromUtf16(text);
}

}  // namespace

int Win32Dialog::run(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events, HWND owner) {
    Win32Dialog host(dialog, events);
    const DialogTemplateEx native(dialog);
    const INT_PTR code = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), native.get(), owner,
                                                 &Win32Dialog::dialogProc, reinterpret_cast<LPARAM>(&host));
    return static_cast<int>(code);
}

INT_PTR CALLBACK Win32Dialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* host = reinterpret_cast<Win32Dialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        host->window_ = window;
        return host->initDialog();
    }
    auto* host = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
    return host != nullptr ? host->handle(message, wParam, lParam) : FALSE;
}

INT_PTR Win32Dialog::initDialog() {
    for (const dlg::ControlTemplate& c : template_.controls) {
        if (c.kind == ControlKind::combo)
            for (const char* entry : c.entries) comboAdd(c.id, entry);
        if (isMultiLineEdit(c.id)) raiseTextLimit(item(c.id));
    }
    const bool focusFirst = events_.onInitDialog(*this);
    dialogReady(window_, template_.id);
    return focusFirst ? TRUE : FALSE;  // TRUE: the dialog manager focuses the first tab stop
}

INT_PTR Win32Dialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: return command(wParam, lParam);
        case WM_SYSCOMMAND: return event(EventKind::systemCommand, static_cast<int>(wParam));
        case WM_PAINT: return paint();
        case WM_QUERYDRAGICON: {
            // One of the messages whose answer is the dialog procedure's own return value.
            const dlg::EventResult result = events_.onEvent({EventKind::queryDragIcon});
            return result.handled ? reinterpret_cast<INT_PTR>(result.icon) : FALSE;
        }
        case WM_TIMER:
            if (devices_.endsBurst(wParam)) events_.onEvent({EventKind::devicesChanged});
            else events_.onEvent({EventKind::timer, static_cast<int>(wParam)});
            return TRUE;
        case WM_DEVICECHANGE:
            devices_.onDeviceChange(wParam, lParam);
            // The answer TRUE grants the queries among these (may a device go, may the
            // configuration change); a dialog procedure gives it through DWLP_MSGRESULT.
            SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_DESTROY:
            devices_.stop();
            return FALSE;
        case WM_CLOSE:
            if (!events_.onEvent({EventKind::close}).handled) events_.onCancel();
            return TRUE;
        default: return FALSE;
    }
}

INT_PTR Win32Dialog::event(EventKind kind, int id) { return events_.onEvent({kind, id}).handled ? TRUE : FALSE; }

INT_PTR Win32Dialog::command(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int notification = HIWORD(wParam);
    // Enter and Escape as the dialog manager reports them, and buttons with those identifiers.
    if (id == IDOK && notification == BN_CLICKED) {
        events_.onOk();
        return TRUE;
    }
    if (id == IDCANCEL && notification == BN_CLICKED) {
        events_.onCancel();
        return TRUE;
    }
    const bool fromButton = isKind(id, ControlKind::pushButton) || isKind(id, ControlKind::checkBox);
    if (notification == BN_CLICKED && lParam != 0 && fromButton) {
        events_.onEvent({EventKind::click, id});
        return TRUE;
    }
    return FALSE;
}

INT_PTR Win32Dialog::paint() {
    painting_ = true;
    const bool handled = events_.onEvent({EventKind::paint}).handled;
    const bool painted = paintDc_ != nullptr;
    endPaint();  // in case the handler left it open
    painting_ = false;
    if (handled && !painted) ValidateRect(window_, nullptr);  // else WM_PAINT would come again
    return handled ? TRUE : FALSE;
}

// ---- controls

HWND Win32Dialog::item(int id) const { return id == dlg::noId ? nullptr : GetDlgItem(window_, id); }

bool Win32Dialog::isKind(int id, ControlKind kind) const {
    const dlg::ControlTemplate* c = template_.control(id);
    return c != nullptr && c->kind == kind;
}

bool Win32Dialog::isMultiLineEdit(int id) const {
    const dlg::ControlTemplate* c = template_.control(id);
    return c != nullptr && c->kind == ControlKind::edit && (c->styles & dlg::multiLine);
}

std::string Win32Dialog::text(int id) const { return windowText(item(id)); }

void Win32Dialog::setText(int id, std::string_view text) {
    if (HWND c = item(id)) SetWindowTextW(c, shown(text).c_str());
}

void Win32Dialog::appendText(int id, std::string_view text) {
    if (isTextBox(item(id))) return appendToTextBox(item(id), shown(text));
    if (isMultiLineEdit(id)) return appendToEdit(item(id), shown(text));
    // The others hold a line at most: setting it whole costs little.
    setText(id, this->text(id) + std::string(text));
}

void Win32Dialog::setCaption(std::string_view text) { SetWindowTextW(window_, shown(text).c_str()); }

int Win32Dialog::checked(int id) const { return IsDlgButtonChecked(window_, id) == BST_CHECKED ? 1 : 0; }

void Win32Dialog::setChecked(int id, int state) {
    if (item(id) != nullptr) CheckDlgButton(window_, id, state != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void Win32Dialog::enable(int id, bool on) {
    if (HWND c = item(id)) EnableWindow(c, on ? TRUE : FALSE);
}

bool Win32Dialog::isEnabled(int id) const {
    HWND c = item(id);
    return c != nullptr && IsWindowEnabled(c);
}

void Win32Dialog::comboReset(int id) {
    if (HWND combo = item(id)) {
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        SetWindowTextW(combo, L"");
    }
}

int Win32Dialog::comboAdd(int id, std::string_view text) {
    HWND combo = item(id);
    if (combo == nullptr) return -1;
    const std::wstring entry = shown(text);
    return static_cast<int>(SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str())));
}

void Win32Dialog::comboSelect(int id, int index) {
    if (index < 0 || index >= comboCount(id)) index = -1;  // nothing selected, the field empty
    if (HWND combo = item(id)) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32Dialog::comboSelection(int id) const {
    HWND combo = item(id);
    return combo != nullptr ? static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)) : -1;
}

int Win32Dialog::comboCount(int id) const {
    HWND combo = item(id);
    const LRESULT count = combo != nullptr ? SendMessageW(combo, CB_GETCOUNT, 0, 0) : 0;
    return count > 0 ? static_cast<int>(count) : 0;
}

std::string Win32Dialog::comboEntry(int id, int index) const {
    HWND combo = item(id);
    if (combo == nullptr || index < 0 || index >= comboCount(id)) return {};
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length <= 0) return {};
    std::wstring entry(length + 1, L'\0');
    const LRESULT got = SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(entry.data()));
    entry.resize(got > 0 ? got : 0);
    return cp936::fromUtf16(entry);
}

void Win32Dialog::focusSelectAll(int id) {
    HWND c = item(id);
    if (c == nullptr) return;
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c), TRUE);
    if (isKind(id, ControlKind::combo))
        SendMessageW(c, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    else if (isKind(id, ControlKind::edit))
        SendMessageW(c, EM_SETSEL, 0, -1);
}

void Win32Dialog::setTimer(int id, unsigned ms) { SetTimer(window_, static_cast<UINT_PTR>(id), ms, nullptr); }

void Win32Dialog::killTimer(int id) { KillTimer(window_, static_cast<UINT_PTR>(id)); }

void Win32Dialog::messageBox(std::string_view text) {
    MessageBoxW(window_, shown(text).c_str(), programName().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

// ---- system menu

bool Win32Dialog::hasSystemMenu() const { return GetSystemMenu(window_, FALSE) != nullptr; }

void Win32Dialog::appendMenuSeparator() {
    if (HMENU menu = GetSystemMenu(window_, FALSE)) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

void Win32Dialog::appendMenuItem(int command, std::string_view text) {
    if (HMENU menu = GetSystemMenu(window_, FALSE))
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(command), shown(text).c_str());
}

void Win32Dialog::setMenuItemChecked(int command, bool on) {
    if (HMENU menu = GetSystemMenu(window_, FALSE))
        CheckMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void Win32Dialog::setMenuItemText(int command, std::string_view text) {
    if (HMENU menu = GetSystemMenu(window_, FALSE)) {
        const UINT state = GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) & MF_CHECKED;
        ModifyMenuW(menu, static_cast<UINT>(command), MF_BYCOMMAND | MF_STRING | state,
                    static_cast<UINT_PTR>(command), shown(text).c_str());
    }
}

// ---- files

bool Win32Dialog::askSaveFile(std::string_view fileName, std::string& path, std::string& shownPath) {
    const std::wstring chosen = askSaveFilePath(window_, shown(fileName));
    if (chosen.empty()) return false;
    path = utf8(chosen);
    shownPath = cp936::fromUtf16(chosen);
    return true;
}

std::unique_ptr<dlg::OutputFile> Win32Dialog::createFile(const std::string& path, dlg::FileError& error) {
    return createOutputFile(path, error);
}

// ---- hot-plug

void Win32Dialog::watchDevices() { devices_.watch(window_); }

// ---- icon and painting

void Win32Dialog::setIcon(dlg::IconHandle icon) {
    const auto handle = reinterpret_cast<LPARAM>(icon);
    SendMessageW(window_, WM_SETICON, ICON_BIG, handle);
    SendMessageW(window_, WM_SETICON, ICON_SMALL, handle);
}

bool Win32Dialog::isMinimized() const { return IsIconic(window_) != FALSE; }

dlg::Size Win32Dialog::clientSize() const {
    RECT client{};
    GetClientRect(window_, &client);
    return {client.right - client.left, client.bottom - client.top};
}

dlg::Size Win32Dialog::systemIconSize() const {
    return {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
}

void Win32Dialog::beginPaint() {
    if (painting_ && paintDc_ == nullptr) paintDc_ = BeginPaint(window_, &paint_);
}

void Win32Dialog::eraseIconBackground() {
    if (paintDc_ != nullptr) SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paintDc_), 0);
}

void Win32Dialog::drawIcon(int x, int y, dlg::IconHandle icon) {
    if (paintDc_ != nullptr && icon != nullptr)
        DrawIcon(paintDc_, x, y, static_cast<HICON>(const_cast<void*>(icon)));
}

void Win32Dialog::endPaint() {
    if (paintDc_ == nullptr) return;
    EndPaint(window_, &paint_);
    paintDc_ = nullptr;
}

void Win32Dialog::endDialog(int code) { EndDialog(window_, code); }

int Win32Dialog::runModal(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events) {
    return run(dialog, events, window_);
}

}  // namespace win32
