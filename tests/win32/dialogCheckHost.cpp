// The host's own promises, checked on the UI thread in a main window of their own: texts keep
// their bytes through the code-page conversion, appending keeps the user's selection and view,
// and the combo calls behave at their edges.
#include <cstdio>
#include <string>

#include "platform/win32/codePage936.h"
#include "platform/win32/win32Dialog.h"
#include "resources/dialogs.h"
#include "resources/resourceIds.h"
#include "tests/win32/dialogCheck.h"

namespace dialogCheck {

namespace {

using namespace std::string_literals;

struct CodePageCase {
    const char* name;
    std::string bytes;
    std::wstring utf16;
};

// Bytes, and what the window shows for them.
const CodePageCase codePageCases[] = {
        {"ASCII and a CR LF", "Korvane 3.1\r\n", L"Korvane 3.1\r\n"},
        {"lone LF and CR", "a\nb\rc", L"a\nb\rc"},
        {"GBK characters", "\xB4\xF2\xBF\xAA", L"打开"},
        {"GBK user-defined area", "\xAA\xA1", L"\xE000"},
        {"0xFF", "\xFF", L"\xDCFF"},
        {"a lead byte at the end", "A\xB4", L"A\xDCB4"},
        {"a lead byte before a byte that is no trail byte", "\xB4\nB", L"\xDCB4\nB"},
        {"a bad byte between characters", "\xB4\xF2\xFF\xBF\xAA", L"打\xDCFF开"},
        {"a lead byte before 0x7F", "\x81\x7F", L"\xDC81\x7F"},
};

void expectBytes(const std::string& got, const std::string& expected, const char* what, const char* name) {
    const bool same = got == expected;
    CHECK(same);
    if (same) return;
    std::printf("  %s of \"%s\":", what, name);
    for (unsigned char c : got) std::printf(" %02X", c);
    std::printf("\n");
}

// Every two-byte string from 0x80..0xFF and any nonzero byte comes back as it went in.
void checkEveryPairRoundTrips() {
    int failures = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0x01; trail <= 0xFF; ++trail) {
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            if (cp936::fromUtf16(cp936::toUtf16(bytes)) != bytes && failures++ < 5)
                std::printf("  pair %02X %02X does not come back\n", lead, trail);
        }
    }
    CHECK(failures == 0);
}

void checkCodePage(dlg::DialogHost& host, HWND window) {
    for (const CodePageCase& c : codePageCases) {
        const std::wstring shown = cp936::toUtf16(c.bytes);
        CHECK(shown == c.utf16);
        if (shown != c.utf16) {
            std::printf("  \"%s\" shows as", c.name);
            for (wchar_t w : shown) std::printf(" U+%04X", static_cast<unsigned>(w));
            std::printf("\n");
        }
        expectBytes(cp936::fromUtf16(c.utf16), c.bytes, "conversion", c.name);
        host.setText(IDC_TXTEXT, c.bytes);
        CHECK(windowText(GetDlgItem(window, IDC_TXTEXT)) == c.utf16);
        expectBytes(host.text(IDC_TXTEXT), c.bytes, "output box", c.name);
        const int entry = host.comboAdd(IDC_PORT, c.bytes);
        expectBytes(host.comboEntry(IDC_PORT, entry), c.bytes, "combo entry", c.name);
    }
    checkEveryPairRoundTrips();
    // Typed characters: a private-use one is GBK's, one GBK lacks is '?'.
    CHECK(cp936::fromUtf16(L"\xE000") == "\xAA\xA1");
    CHECK(cp936::fromUtf16(L"\x0E01") == "?");
    host.setText(IDC_TXTEXT, "a\0b"s);  // an edit box shows no NUL
    CHECK(host.text(IDC_TXTEXT) == "ab");
}

std::pair<DWORD, DWORD> selection(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

struct AppendCase {
    const char* name;
    DWORD selectionStart, selectionEnd;  // atEnd: where the text ends
    WPARAM scroll;                       // a WM_VSCROLL request
    int scrolls;                         // how many of them
};
constexpr DWORD atEnd = ~DWORD{0};

// Appending leaves the user's selection, caret and view as they were.
const AppendCase appendCases[] = {
    {"a selection, the view 3 rows down", 5, 10, SB_LINEDOWN, 3},
    {"the caret where the text ends, the view at the bottom", atEnd, atEnd, SB_BOTTOM, 1},
};

void checkAppend(dlg::DialogHost& host, HWND window) {
    HWND box = GetDlgItem(window, IDC_RXTEXT);
    for (const AppendCase& c : appendCases) {
        std::string text;
        for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + "\r\n";
        host.setText(IDC_RXTEXT, text);
        const auto end = static_cast<DWORD>(text.size());
        const DWORD start = c.selectionStart == atEnd ? end : c.selectionStart;
        const DWORD stop = c.selectionEnd == atEnd ? end : c.selectionEnd;
        SendMessageW(box, EM_SETSEL, start, stop);
        for (int i = 0; i < c.scrolls; ++i) SendMessageW(box, WM_VSCROLL, c.scroll, 0);
        const LRESULT firstVisible = SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
        CHECK(firstVisible > 0);

        host.appendText(IDC_RXTEXT, "\xB4\xF2 tail\r\n");
        text += "\xB4\xF2 tail\r\n";
        const bool kept = host.text(IDC_RXTEXT) == text && selection(box) == std::make_pair(start, stop) &&
                          SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0) == firstVisible;
        CHECK(kept);
        if (!kept) std::printf("  appending moved something: %s\n", c.name);
    }
    // Past an edit control's default limit of 32 K characters.
    const std::string text = host.text(IDC_RXTEXT);
    const std::string longPiece(40000, 'x');
    host.appendText(IDC_RXTEXT, longPiece);
    CHECK(host.text(IDC_RXTEXT) == text + longPiece);
}

void checkCombosAndFocus(dlg::DialogHost& host, HWND window) {
    CHECK(host.comboEntry(IDC_BAUD, -1).empty());
    CHECK(host.comboEntry(IDC_BAUD, 11).empty());
    host.comboSelect(IDC_BAUD, 3);
    CHECK(host.text(IDC_BAUD) == "9600");
    host.comboSelect(IDC_BAUD, 11);  // out of range: nothing selected, the field empty
    CHECK(host.comboSelection(IDC_BAUD) == -1);
    CHECK(host.text(IDC_BAUD).empty());
    host.comboReset(IDC_PORT);
    CHECK(host.comboCount(IDC_PORT) == 0);
    CHECK(host.comboAdd(IDC_PORT, "COM7") == 0);

    host.setText(IDC_PERIOD, "1000");
    host.focusSelectAll(IDC_PERIOD);
    CHECK(GetFocus() == GetDlgItem(window, IDC_PERIOD));
    CHECK(selection(GetDlgItem(window, IDC_PERIOD)) == std::make_pair(DWORD{0}, DWORD{4}));
}

// Runs the checks once the window shows, then ends it.
class HostChecks final : public dlg::DialogEvents {
public:
    bool onInitDialog(dlg::DialogHost& host) override {
        host_ = &host;
        // The template's entries are in before the logic sees the window.
        CHECK(host.comboCount(IDC_BAUD) == 11);
        CHECK(host.comboEntry(IDC_BAUD, 3) == "9600");
        host.setTimer(1, 1);
        return true;
    }
    dlg::EventResult onEvent(const dlg::DialogEvent& event) override {
        if (event.kind != dlg::EventKind::timer) return dlg::EventResult::defaultProcessing();
        host_->killTimer(1);
        HWND window = static_cast<win32::Win32Dialog*>(host_)->window();
        checkCodePage(*host_, window);
        checkAppend(*host_, window);
        checkReceiveBox(*host_, window);
        checkCombosAndFocus(*host_, window);
        host_->endDialog(dlg::idOk);
        return {};
    }
    void onOk() override {}
    void onCancel() override {}

private:
    dlg::DialogHost* host_ = nullptr;
};

}  // namespace

void checkHost() {
    HostChecks checks;
    CHECK(win32::Win32Dialog::run(mainDialogTemplate, checks, nullptr) == dlg::idOk);
}

}  // namespace dialogCheck
