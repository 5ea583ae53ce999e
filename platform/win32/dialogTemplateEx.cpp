#include "platform/win32/dialogTemplateEx.h"

#include "platform/win32/codePage936.h"
#include "platform/win32/textBox.h"

using dlg::ControlKind;

namespace win32 {

namespace {

constexpr WORD buttonClass = 0x0080;
constexpr WORD editClass = 0x0081;
constexpr WORD staticClass = 0x0082;
constexpr WORD comboBoxClass = 0x0085;

bool has(const dlg::ControlTemplate& c, std::uint32_t style) { return (c.styles & style) != 0; }

NativeControl staticControl(const dlg::ControlTemplate& c) {
    DWORD style = 0;
    DWORD exStyle = 0;
    switch (c.kind) {
        case ControlKind::icon: style = SS_ICON; break;
        case ControlKind::line:
            style = SS_GRAYRECT;
            exStyle = WS_EX_STATICEDGE;
            break;
        case ControlKind::statusText: style = SS_LEFTNOWORDWRAP; break;  // one line, rewritten
        default: style = SS_LEFT; break;
    }
    if (has(c, dlg::sunken)) style |= SS_SUNKEN;
    return {staticClass, style, exStyle};
}

NativeControl buttonControl(const dlg::ControlTemplate& c) {
    if (c.kind == ControlKind::groupBox) return {buttonClass, BS_GROUPBOX, 0};
    if (c.kind == ControlKind::checkBox)
        return {buttonClass, static_cast<DWORD>(has(c, dlg::autoCheck) ? BS_AUTOCHECKBOX : BS_CHECKBOX), 0};
    return {buttonClass, static_cast<DWORD>(has(c, dlg::defaultButton) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0};
}

NativeControl editControl(const dlg::ControlTemplate& c) {
    DWORD style = ES_LEFT;
    if (has(c, dlg::multiLine)) style |= ES_MULTILINE | ES_AUTOVSCROLL;  // lines wrap: no ES_AUTOHSCROLL
    if (has(c, dlg::wantReturn)) style |= ES_WANTRETURN;
    if (has(c, dlg::autoHScroll)) style |= ES_AUTOHSCROLL;
    if (has(c, dlg::vScroll)) style |= WS_VSCROLL;
    if (has(c, dlg::digitsOnly)) style |= ES_NUMBER;
    if (has(c, dlg::readOnly)) style |= ES_READONLY;
    const DWORD exStyle = has(c, dlg::sunken) ? WS_EX_CLIENTEDGE : 0;
    // A multi-line box where Enter is not a line break is one the program fills, the receive
    // box, which may come to hold megabytes: our text box. Where the user writes, the system's
    // edit control, with its input methods and undo.
    if (has(c, dlg::multiLine) && !has(c, dlg::wantReturn)) return {0, style, exStyle, textBoxClass()};
    return {editClass, style, exStyle};
}

}  // namespace

NativeControl nativeControl(const dlg::ControlTemplate& c) {
    NativeControl native{};
    switch (c.kind) {
        case ControlKind::label:
        case ControlKind::statusText:
        case ControlKind::line:
        case ControlKind::icon: native = staticControl(c); break;
        case ControlKind::groupBox:
        case ControlKind::pushButton:
        case ControlKind::checkBox: native = buttonControl(c); break;
        case ControlKind::edit: native = editControl(c); break;
        case ControlKind::combo:
            // Unsorted: entries stay in the order they are added.
            native = {comboBoxClass, static_cast<DWORD>(CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL), 0};
            break;
    }
    native.style |= WS_CHILD | WS_VISIBLE;
    if (has(c, dlg::tabStop)) native.style |= WS_TABSTOP;
    return native;
}

DWORD nativeDialogStyle(const dlg::DialogTemplate& dialog) {
    DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    if (dialog.styles & dlg::systemMenu) style |= WS_SYSMENU;
    if (dialog.styles & dlg::minimizeBox) style |= WS_MINIMIZEBOX;
    return style;
}

DWORD nativeDialogExStyle(const dlg::DialogTemplate& dialog) {
    return (dialog.styles & dlg::appWindow) ? WS_EX_APPWINDOW : 0;
}

DialogTemplateEx::DialogTemplateEx(const dlg::DialogTemplate& dialog) {
    word(1);       // dlgVer
    word(0xFFFF);  // signature: the extended form
    dword(0);      // helpID
    dword(nativeDialogExStyle(dialog));
    dword(nativeDialogStyle(dialog));
    word(static_cast<WORD>(dialog.controls.size()));
    word(0);  // x, y: DS_CENTER places the window
    word(0);
    word(static_cast<WORD>(dialog.width));
    word(static_cast<WORD>(dialog.height));
    word(0);  // no menu
    word(0);  // the dialog class
    text(dialog.caption);
    word(static_cast<WORD>(dialog.fontPoints));
    word(FW_NORMAL);
    words_.push_back(MAKEWORD(FALSE, GB2312_CHARSET));  // italic, charset
    text(dialog.fontName);
    for (const dlg::ControlTemplate& c : dialog.controls) control(c);
}

void DialogTemplateEx::dword(DWORD d) {
    word(LOWORD(d));
    word(HIWORD(d));
}

void DialogTemplateEx::text(const char* cp936Text) {
    for (wchar_t c : cp936::toUtf16(cp936Text != nullptr ? cp936Text : "")) word(static_cast<WORD>(c));
    word(0);
}

void DialogTemplateEx::alignToDword() {
    if (words_.size() % 2 != 0) word(0);
}

void DialogTemplateEx::control(const dlg::ControlTemplate& c) {
    const NativeControl native = nativeControl(c);
    alignToDword();
    dword(0);  // helpID
    dword(native.exStyle);
    dword(native.style);
    word(static_cast<WORD>(c.x));
    word(static_cast<WORD>(c.y));
    word(static_cast<WORD>(c.width));
    word(static_cast<WORD>(c.height));
    dword(static_cast<DWORD>(c.id));  // noId is IDC_STATIC, -1
    if (native.className != nullptr) {
        for (const wchar_t* n = native.className; *n != L'\0'; ++n) word(static_cast<WORD>(*n));
        word(0);
    } else {
        word(0xFFFF);
        word(native.classAtom);
    }
    if (c.kind == ControlKind::icon) {  // the icon by its resource ordinal
        word(0xFFFF);
        word(static_cast<WORD>(c.iconId));
    } else {
        text(c.caption);
    }
    word(0);  // no creation data
}

}  // namespace win32
