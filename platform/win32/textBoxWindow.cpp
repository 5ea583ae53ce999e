// The text box's window class: each message to the view that handles it, with an edit
// control's meaning of its parameters and answer.
#include <algorithm>
#include <cstring>

#include "platform/win32/textBox.h"
#include "platform/win32/textBoxView.h"

namespace win32 {

namespace {

constexpr wchar_t className[] = L"KorvaneTextBox";

POINT pointFrom(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// An edit control's answer: -1 when either end does not fit in 16 bits.
LRESULT getSelection(const TextBoxView& view, WPARAM start, LPARAM end) {
    const auto [from, to] = view.selection();
    if (start != 0) *reinterpret_cast<DWORD*>(start) = static_cast<DWORD>(from);
    if (end != 0) *reinterpret_cast<DWORD*>(end) = static_cast<DWORD>(to);
    return to > 0xFFFF ? -1 : MAKELRESULT(from, to);
}

// As an edit control takes EM_SETSEL: a start of -1 removes the selection and leaves the
// caret, an end past the text (-1) is its end, and the caret goes to the end given.
void setSelection(TextBoxView& view, WPARAM start, LPARAM end) {
    const auto from = static_cast<UINT>(start);
    const auto to = static_cast<UINT>(end);
    if (from == static_cast<UINT>(-1)) {
        const std::size_t caret = view.selection().second;
        return view.select(caret, caret);
    }
    view.select(from, to);
}

LRESULT getText(const TextBoxView& view, WPARAM room, LPARAM buffer) {
    if (room == 0 || buffer == 0) return 0;
    const std::size_t count = std::min<std::size_t>(view.text().size(), room - 1);
    auto* out = reinterpret_cast<wchar_t*>(buffer);
    std::memcpy(out, view.text().data(), count * sizeof(wchar_t));
    out[count] = L'\0';
    return static_cast<LRESULT>(count);
}

// Beyond 16 bits an edit control's answers are cut short too.
LRESULT charFromPos(const TextBoxView& view, LPARAM lParam) {
    bool atRowEnd = false;
    const std::size_t offset = view.offsetAtPoint(pointFrom(lParam), atRowEnd);
    return MAKELRESULT(offset, view.rowOf(offset));
}

LRESULT posFromChar(const TextBoxView& view, WPARAM offset) {
    if (offset > view.text().size()) return -1;
    const POINT at = view.pointOf(offset);
    return MAKELRESULT(at.x, at.y);
}

UINT dialogCode(HWND window, LPARAM lParam) {
    UINT code = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    const bool enter = message != nullptr && message->message == WM_KEYDOWN && message->wParam == VK_RETURN;
    if (enter && (GetWindowLongW(window, GWL_STYLE) & ES_WANTRETURN)) code |= DLGC_WANTMESSAGE;
    return code;
}

// Messages about the text, the selection and the view; false for the others.
bool editMessage(TextBoxView& view, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_SETTEXT:
            view.setText(lParam != 0 ? reinterpret_cast<const wchar_t*>(lParam) : L"");
            result = TRUE;
            return true;
        case WM_GETTEXT: result = getText(view, wParam, lParam); return true;
        case WM_GETTEXTLENGTH: result = static_cast<LRESULT>(view.text().size()); return true;
        case EM_GETSEL: result = getSelection(view, wParam, lParam); return true;
        case EM_SETSEL: setSelection(view, wParam, lParam); return true;
        case EM_REPLACESEL:
            view.replaceSelection(lParam != 0 ? reinterpret_cast<const wchar_t*>(lParam) : L"");
            return true;
        case EM_GETFIRSTVISIBLELINE: result = static_cast<LRESULT>(view.firstVisibleRow()); return true;
        case EM_GETLINECOUNT: result = static_cast<LRESULT>(view.rowCount()); return true;
        case EM_POSFROMCHAR: result = posFromChar(view, wParam); return true;
        case EM_CHARFROMPOS: result = charFromPos(view, lParam); return true;
        case EM_LINESCROLL:
            view.scrollRows(static_cast<int>(lParam));
            result = TRUE;
            return true;
        case EM_SCROLLCARET:
            view.scrollToCaret();
            result = TRUE;
            return true;
        case EM_SETLIMITTEXT: return true;  // no limit but memory
        case WM_COPY: view.copy(); return true;
        case WM_CUT: view.cut(); return true;
        case WM_PASTE: view.paste(); return true;
        case WM_CLEAR: view.deleteSelection(); return true;
        default: return false;
    }
}

// Messages from the user and the system to the window; false for the others.
bool windowMessage(HWND window, TextBoxView& view, UINT message, WPARAM wParam, LPARAM lParam,
                   LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_PAINT: view.paint(); return true;
        case WM_ERASEBKGND: result = TRUE; return true;  // the rows paint all of it
        case WM_SIZE: view.resized(); return true;
        case WM_SETFONT: view.setFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0); return true;
        case WM_GETFONT: result = reinterpret_cast<LRESULT>(view.font()); return true;
        case WM_GETDLGCODE: result = dialogCode(window, lParam); return true;
        case WM_SETFOCUS: view.focusChanged(true); return true;
        case WM_KILLFOCUS: view.focusChanged(false); return true;
        case WM_ENABLE: view.enabledChanged(); return true;
        case WM_KEYDOWN: view.key(wParam); return true;
        case WM_CHAR: view.character(static_cast<wchar_t>(wParam)); return true;
        case WM_LBUTTONDOWN: view.mouseDown(pointFrom(lParam), (wParam & MK_SHIFT) != 0); return true;
        case WM_LBUTTONDBLCLK: view.doubleClick(pointFrom(lParam)); return true;
        case WM_MOUSEMOVE: view.mouseMove(pointFrom(lParam)); return true;
        case WM_LBUTTONUP: view.mouseUp(); return true;
        case WM_CAPTURECHANGED: view.captureLost(); return true;
        case WM_TIMER:
            if (wParam != TextBoxView::dragTimer) return false;
            view.dragTick();
            return true;
        case WM_MOUSEWHEEL: view.wheel(GET_WHEEL_DELTA_WPARAM(wParam)); return true;
        case WM_VSCROLL: view.verticalScroll(LOWORD(wParam)); return true;
        case WM_CONTEXTMENU: view.contextMenu(pointFrom(lParam)); return true;
        default: return false;
    }
}

LRESULT CALLBACK textBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TextBoxView(window)));
    TextBoxView* view = textBoxView(window);
    if (view == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete view;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_CREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        const bool named = create->lpszName != nullptr && !IS_INTRESOURCE(create->lpszName);
        view->resized();
        view->setText(named ? create->lpszName : L"");
        return 0;
    }
    LRESULT result = 0;
    if (editMessage(*view, message, wParam, lParam, result)) return result;
    if (windowMessage(window, *view, message, wParam, lParam, result)) return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

ATOM registered() {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.style = CS_DBLCLKS;
    c.lpfnWndProc = textBoxProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
    c.lpszClassName = className;
    return RegisterClassExW(&c);
}

}  // namespace

const wchar_t* textBoxClass() {
    static const ATOM atom = registered();
    (void)atom;
    return className;
}

TextBoxView* textBoxView(HWND window) {
    // By the class's procedure, which a subclassed window keeps.
    if (window == nullptr ||
        GetClassLongPtrW(window, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&textBoxProc))
        return nullptr;
    return reinterpret_cast<TextBoxView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool isTextBox(HWND window) { return textBoxView(window) != nullptr; }

void appendToTextBox(HWND box, std::wstring_view text) {
    if (TextBoxView* view = textBoxView(box)) view->append(text);
}

}  // namespace win32
