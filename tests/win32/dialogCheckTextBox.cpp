// The receive box, our own text box (platform/win32/textBox.h), on the UI thread: what it is
// given reads back as given, the user's edits, clicks and drags, the clipboard, wrapping and
// the dialog's font; a read-only one.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/dialogHost.h"
#include "platform/win32/textBox.h"
#include "resources/resourceIds.h"
#include "tests/win32/dialogCheck.h"

namespace dialogCheck {

namespace {

struct RoundTripCase {
    const char* name;
    std::vector<std::string> pieces;  // appended one after the other to an empty box
};

const RoundTripCase roundTripCases[] = {
    {"line breaks of all three kinds", {"a\r\nb\nc\rd\n\n\r\r"}},
    {"a CR ending one piece and an LF starting the next", {"x\r", "\ny\r", "z"}},
    {"GBK characters and bytes that are no CP936", {"\xB4\xF2\xBF\xAA", "\xFF", "A\xB4"}},
    {"a tab and control characters", {"a\tb\x01\x1B"}},
};

void checkRoundTrips(dlg::DialogHost& host) {
    for (const RoundTripCase& c : roundTripCases) {
        host.setText(IDC_RXTEXT, "");
        std::string all;
        for (const std::string& piece : c.pieces) {
            host.appendText(IDC_RXTEXT, piece);
            all += piece;
        }
        const bool same = host.text(IDC_RXTEXT) == all;
        CHECK(same);
        if (!same) std::printf("  does not read back as given: %s\n", c.name);
    }
}

struct Message {
    UINT message;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

struct EditCase {
    const char* name;
    std::wstring text;
    DWORD selectionStart, selectionEnd;
    std::vector<Message> messages;
    std::wstring after;
    DWORD afterStart, afterEnd;
};

// clang-format off
const EditCase editCases[] = {
    {"a typed character replaces the selection", L"abc", 1, 2, {{WM_CHAR, L'X'}}, L"aXc", 2, 2},
    {"Backspace removes a CR LF whole", L"a\r\nb", 3, 3, {{WM_CHAR, 0x08}}, L"ab", 1, 1},
    {"Delete removes a lone LF", L"a\nb", 1, 1, {{WM_KEYDOWN, VK_DELETE}}, L"ab", 1, 1},
    {"the caret steps over a CR LF", L"a\r\nb", 1, 1, {{WM_KEYDOWN, VK_RIGHT}}, L"a\r\nb", 3, 3},
    {"the caret steps over a surrogate pair",
     L"\xD83D\xDE00!", 2, 2, {{WM_KEYDOWN, VK_LEFT}}, L"\xD83D\xDE00!", 0, 0},
    {"End goes to the line's end, before its break",
     L"ab\r\ncd", 0, 0, {{WM_KEYDOWN, VK_END}}, L"ab\r\ncd", 2, 2},
    {"Ctrl+A selects everything", L"a\nb", 1, 1, {{WM_CHAR, 0x01}}, L"a\nb", 0, 3},
    {"a cut and a paste put the text back, its break written CR LF",
     L"a\nbc", 0, 3, {{WM_CUT}, {WM_PASTE}}, L"a\r\nbc", 4, 4},
    {"a copy leaves the text; what is pasted replaces the selection",
     L"xyz", 0, 1, {{WM_COPY}, {EM_SETSEL, 2, 3}, {WM_PASTE}}, L"xyx", 3, 3},
};
// clang-format on

std::pair<DWORD, DWORD> selectionOf(HWND box) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

void checkEdits(HWND box) {
    for (const EditCase& c : editCases) {
        SetWindowTextW(box, c.text.c_str());
        SendMessageW(box, EM_SETSEL, c.selectionStart, c.selectionEnd);
        for (const Message& m : c.messages) SendMessageW(box, m.message, m.wParam, m.lParam);
        const bool right =
            windowText(box) == c.after && selectionOf(box) == std::make_pair(c.afterStart, c.afterEnd);
        CHECK(right);
        if (!right) {
            const auto [start, end] = selectionOf(box);
            std::printf("  %s: %zu characters, selection %lu..%lu\n", c.name, windowText(box).size(),
                        static_cast<unsigned long>(start), static_cast<unsigned long>(end));
        }
    }
}

LPARAM pointAt(HWND box, std::size_t offset) {
    const auto at = static_cast<DWORD>(SendMessageW(box, EM_POSFROMCHAR, offset, 0));
    return MAKELPARAM(LOWORD(at), HIWORD(at) + 1);  // the character's left edge, inside its row
}

// A click puts the caret, a drag selects, a click with Shift extends the selection.
void checkMouse(HWND box) {
    SetWindowTextW(box, L"first line\r\nsecond line\r\nthird");
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, pointAt(box, 3));
    SendMessageW(box, WM_LBUTTONUP, 0, pointAt(box, 3));
    CHECK(selectionOf(box) == std::make_pair(DWORD{3}, DWORD{3}));
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, pointAt(box, 3));
    SendMessageW(box, WM_MOUSEMOVE, MK_LBUTTON, pointAt(box, 15));
    SendMessageW(box, WM_LBUTTONUP, 0, pointAt(box, 15));
    CHECK(selectionOf(box) == std::make_pair(DWORD{3}, DWORD{15}));
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, pointAt(box, 27));
    SendMessageW(box, WM_LBUTTONUP, 0, pointAt(box, 27));
    CHECK(selectionOf(box) == std::make_pair(DWORD{3}, DWORD{27}));
    CHECK(GetFocus() == box);
}

// A long line wraps within the box; the box has the dialog's font.
void checkWrapAndFont(HWND window, HWND box) {
    const std::wstring line(2000, L'x');
    SetWindowTextW(box, line.c_str());
    CHECK(SendMessageW(box, EM_GETLINECOUNT, 0, 0) > 1);
    RECT client{};
    GetClientRect(box, &client);
    bool inside = true;
    for (std::size_t i = 0; i <= line.size(); ++i)
        inside = inside && LOWORD(SendMessageW(box, EM_POSFROMCHAR, i, 0)) <= client.right;
    CHECK(inside);
    CHECK(SendMessageW(box, WM_GETFONT, 0, 0) == SendMessageW(window, WM_GETFONT, 0, 0));
}

// With ES_READONLY the user's edits change nothing; the program's still do.
void checkReadOnly(HWND window) {
    HWND box = CreateWindowExW(0, win32::textBoxClass(), L"abc", WS_CHILD | ES_MULTILINE | ES_READONLY, 0, 0,
                               100, 50, window, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(box, EM_SETSEL, 0, 1);
    SendMessageW(box, WM_CHAR, L'x', 0);
    SendMessageW(box, WM_CUT, 0, 0);
    SendMessageW(box, WM_KEYDOWN, VK_DELETE, 0);
    CHECK(windowText(box) == L"abc");
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"z"));
    CHECK(windowText(box) == L"zbc");
    DestroyWindow(box);
}

}  // namespace

void checkReceiveBox(dlg::DialogHost& host, HWND window) {
    HWND box = GetDlgItem(window, IDC_RXTEXT);
    checkRoundTrips(host);
    checkEdits(box);
    checkMouse(box);
    checkWrapAndFont(window, box);
    checkReadOnly(window);
    host.setText(IDC_RXTEXT, "");
}

}  // namespace dialogCheck
