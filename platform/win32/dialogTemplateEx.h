#pragma once
// A dialog's table turned into the system's in-memory DLGTEMPLATEEX, for
// DialogBoxIndirectParamW: the native window and the Qt one are built from the same table.

#include <vector>

#include <windows.h>

#include "platform/dialogTemplate.h"

namespace win32 {

// The native class and styles of one control.
struct NativeControl {
    WORD classAtom;  // the predefined class by ordinal: 0x0080 button .. 0x0085 combo box
    DWORD style;
    DWORD exStyle;
    const wchar_t* className = nullptr;  // a registered class by name instead (textBox.h)
};
NativeControl nativeControl(const dlg::ControlTemplate& control);

DWORD nativeDialogStyle(const dlg::DialogTemplate& dialog);
DWORD nativeDialogExStyle(const dlg::DialogTemplate& dialog);

// The template in DWORD-aligned memory, ready for the system.
class DialogTemplateEx {
public:
    explicit DialogTemplateEx(const dlg::DialogTemplate& dialog);
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void word(WORD w) { words_.push_back(w); }
    void dword(DWORD d);
    void text(const char* cp936Text);  // a UTF-16 string with its terminating 0
    void alignToDword();
    void control(const dlg::ControlTemplate& control);

    std::vector<WORD> words_;
};

}  // namespace win32
