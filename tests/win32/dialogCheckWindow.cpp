// The real main window, driven as a user would: its state at start, a port that cannot be
// opened, an exchange with the module simulator, Enter and Escape, the About box and the close
// request.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/win32/codePage936.h"
#include "resources/resourceIds.h"
#include "resources/texts.h"
#include "tests/win32/dialogCheck.h"

namespace dialogCheck {

namespace {

// A failed text check says what the window held.
void expectText(HWND dialog, int id, const std::wstring& expected, int line) {
    const std::wstring got = itemText(dialog, id);
    ::smoke::record(got == expected, "control text", __FILE__, line);
    if (got != expected) std::printf("  control %d holds \"%s\"\n", id, cp936::fromUtf16(got).c_str());
}
#define EXPECT_TEXT(dialog, id, expected) expectText(dialog, id, expected, __LINE__)

#define EXPECT_TEXT_SOON(dialog, id, expected)        \
    do {                                              \
        waitForItemText(dialog, id, expected);        \
        expectText(dialog, id, expected, __LINE__);   \
    } while (false)

bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void selectPort(HWND window, const std::wstring& name) {
    HWND combo = GetDlgItem(window, IDC_PORT);
    LRESULT at = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
    if (at == CB_ERR) at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageW(combo, CB_SETCURSEL, at, 0);
}

void setItemText(HWND dialog, int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text); }

void checkResources(HWND window) {
    const WORD chinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    CHECK(FindResourceExA(nullptr, RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_APP), chinese) != nullptr);
    CHECK(FindResourceExA(nullptr, RT_STRING, MAKEINTRESOURCEA(IDS_ABOUT / 16 + 1), chinese) != nullptr);
    CHECK(FindResourceExA(nullptr, RT_MANIFEST, MAKEINTRESOURCEA(1), chinese) != nullptr);
    HRSRC version = FindResourceExA(nullptr, RT_VERSION, MAKEINTRESOURCEA(1), chinese);
    CHECK(version != nullptr);
    if (version != nullptr) {
        // The fixed part follows its signature; the string block is named by its language.
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, version)));
        const std::string record(bytes, SizeofResource(nullptr, version));
        const DWORD signature = VS_FFI_SIGNATURE;
        const std::size_t fixed = record.find(std::string(reinterpret_cast<const char*>(&signature), 4));
        CHECK(fixed != std::string::npos);
        if (fixed != std::string::npos) {
            VS_FIXEDFILEINFO info{};
            std::memcpy(&info, record.data() + fixed, sizeof info);
            CHECK(info.dwFileVersionMS == MAKELONG(1, 3) && info.dwFileVersionLS == 0);
            CHECK(info.dwProductVersionMS == MAKELONG(1, 3) && info.dwProductVersionLS == 0);
        }
        const wchar_t block[] = L"080404b0";
        CHECK(record.find(std::string(reinterpret_cast<const char*>(block), sizeof block)) != std::string::npos);
    }
    // The string table holds the same text as the program's own table.
    const wchar_t* about = nullptr;
    const int length = LoadStringW(nullptr, IDS_ABOUT, reinterpret_cast<LPWSTR>(&about), 0);
    CHECK(length > 0 && std::wstring(about, length) == L"关于 Korvane(&A)...");
    CHECK(cp936::fromUtf16(std::wstring(about, length)) == text::aboutMenuItem);
    const auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
    CHECK(icon != nullptr && icon == LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP)));
}

std::wstring menuText(HMENU menu, UINT item, UINT by) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, item, text, 64, by);
    return text;
}

// The system menu ends with a separator, the About item, the capture items and the reconnect
// switch, which starts on.
void checkSystemMenu(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    CHECK(menu != nullptr);
    if (menu == nullptr) return;
    const struct {
        int command;
        const wchar_t* text;
        bool checked;
    } items[] = {{IDM_ABOUT, L"关于 Korvane(&A)...", false}, {IDM_SAVE, L"保存接收数据(&S)...", false},
                 {IDM_TIMESTAMPS, L"保存时加时间戳(&T)", false}, {IDM_RECONNECT, L"断开后自动重连(&R)", true}};
    const int first = GetMenuItemCount(menu) - static_cast<int>(std::size(items));
    CHECK(first >= 1);
    CHECK(GetMenuState(menu, first - 1, MF_BYPOSITION) & MF_SEPARATOR);
    for (int i = 0; i < static_cast<int>(std::size(items)); ++i) {
        CHECK(GetMenuItemID(menu, first + i) == static_cast<UINT>(items[i].command));
        CHECK(menuText(menu, first + i, MF_BYPOSITION) == items[i].text);
        CHECK(((GetMenuState(menu, first + i, MF_BYPOSITION) & MF_CHECKED) != 0) == items[i].checked);
    }
}

void openPort(HWND window, int port) {
    selectPort(window, L"COM" + std::to_wstring(port));
    click(window, IDC_OPEN);
    if (!waitForItemText(window, IDC_OPEN, L"关闭")) {
        const std::wstring message = messageBoxShown() != nullptr ? dismissMessageBox() : L"";
        std::printf("  COM%d did not open: %s\n", port, cp936::fromUtf16(message).c_str());
    }
}

}  // namespace

void checkStartUp(HWND window) {
    CHECK(windowText(window) == L"KorvaneV3.1--科瓦讯射频工作室 出品");
    EXPECT_TEXT(window, IDC_BAUD, L"9600");
    EXPECT_TEXT(window, IDC_PARITY, L"NONE");
    EXPECT_TEXT(window, IDC_DATABITS, L"8");
    EXPECT_TEXT(window, IDC_STOPBITS, L"1");
    EXPECT_TEXT(window, IDC_PACKETSIZE, L"1");
    EXPECT_TEXT(window, IDC_PERIOD, L"1000");
    EXPECT_TEXT(window, IDC_RXCOUNT, L"0");
    EXPECT_TEXT(window, IDC_TXCOUNT, L"0");
    EXPECT_TEXT(window, IDC_OPEN, L"打开");
    EXPECT_TEXT(window, IDC_STATUS, L"");
    EXPECT_TEXT(window, IDC_SEND, L"手动输出");
    for (int id : {IDC_PAUSE, IDC_AUTOCLEAR, IDC_RXHEX, IDC_TXHEX, IDC_TIMEDSEND}) CHECK(!isChecked(window, id));
    CHECK(FindWindowExW(window, nullptr, L"Button", L"串口参数") != nullptr);
    CHECK(FindWindowExW(window, nullptr, L"Static", L"波特率") != nullptr);
    CHECK(SendMessageW(GetDlgItem(window, IDC_BAUD), CB_GETCOUNT, 0, 0) == 11);
    checkSystemMenu(window);
    checkResources(window);
}

void checkFailedOpen(HWND window) {
    selectPort(window, L"COM250");  // no such port, here or under Wine
    click(window, IDC_OPEN);
    CHECK(dismissMessageBox() == L"没有发现此串口或被占用");
    EXPECT_TEXT_SOON(window, IDC_STATUS, L"没有发现此串口或被占用");
    EXPECT_TEXT(window, IDC_OPEN, L"打开");
    CHECK(IsWindowEnabled(GetDlgItem(window, IDC_PORT)));
}

void checkExchange(HWND window, int port) {
    const std::wstring name = L"COM" + std::to_wstring(port);
    openPort(window, port);
    EXPECT_TEXT(window, IDC_OPEN, L"关闭");
    EXPECT_TEXT(window, IDC_STATUS, name + L" 成功打开!");
    CHECK(!IsWindowEnabled(GetDlgItem(window, IDC_PORT)));

    // The first test command, and the simulator's answer to it.
    click(window, IDC_FILL);
    EXPECT_TEXT_SOON(window, IDC_TXTEXT, L"{\"method\":\"get\",\"params\":\"all\",\"tid\":1001}");
    click(window, IDC_SEND);
    const std::size_t commandLength = std::strlen(text::testCommands[0]);
    EXPECT_TEXT_SOON(window, IDC_TXCOUNT, std::to_wstring(commandLength));
    wchar_t id[16];
    std::swprintf(id, 16, L"KV-%04d", port);
    const std::wstring reply = L"{\"tid\":1001,\"result\":{\"id\":\"" + std::wstring(id) +
                               L"\",\"fw\":\"3.1.0\",\"power\":14,\"channel\":11,\"pan\":\"7A3F\"}}\r\n";
    EXPECT_TEXT_SOON(window, IDC_RXTEXT, reply);
    EXPECT_TEXT_SOON(window, IDC_RXCOUNT, std::to_wstring(reply.size()));

    // Chinese both ways: sent as CP936, echoed back as a line, shown as characters.
    setItemText(window, IDC_TXTEXT, L"中文测试\r\n");
    click(window, IDC_SEND);
    EXPECT_TEXT_SOON(window, IDC_TXCOUNT, std::to_wstring(commandLength + 10));
    EXPECT_TEXT_SOON(window, IDC_RXTEXT, reply + L"中文测试\r\n");

    // The same as hexadecimal text.
    click(window, IDC_RXHEX);
    waitFor([&] { return isChecked(window, IDC_RXHEX); });
    click(window, IDC_RXCLEAR);
    EXPECT_TEXT_SOON(window, IDC_RXTEXT, L"");
    setItemText(window, IDC_TXTEXT, L"A中\r\n");
    click(window, IDC_SEND);
    EXPECT_TEXT_SOON(window, IDC_RXTEXT, L"41 D6 D0 0D 0A ");
    click(window, IDC_RXHEX);
    waitFor([&] { return !isChecked(window, IDC_RXHEX); });

    click(window, IDC_OPEN);
    EXPECT_TEXT_SOON(window, IDC_OPEN, L"打开");
    EXPECT_TEXT(window, IDC_STATUS, name + L" 成功关闭!");
    CHECK(IsWindowEnabled(GetDlgItem(window, IDC_PORT)));
}

namespace {

// The common save dialog the window opened over itself, once it is up; 0 until then.
HWND saveDialogOver(HWND window) {
    struct Search {
        HWND owner;
        HWND found;
    } search{window, nullptr};
    EnumWindows(
        [](HWND candidate, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            wchar_t name[16] = {};
            GetClassNameW(candidate, name, 16);
            if (GetWindow(candidate, GW_OWNER) != s->owner || std::wstring(name) != L"#32770" ||
                !IsWindowVisible(candidate) || candidate == messageBoxShown())
                return TRUE;
            s->found = candidate;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The file-name box of the save dialog: an edit in the old layout, a combo box in the new.
int fileNameBox(HWND dialog) { return GetDlgItem(dialog, 0x47C) != nullptr ? 0x47C : 0x480; }

std::string fileContent(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string content(1 << 16, '\0');
    DWORD read = 0;
    ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    CloseHandle(file);
    content.resize(read);
    return content;
}

}  // namespace

// A session saved through the system menu: the common save dialog with the port and the time in
// the file name, then what the module sent while saving, byte for byte, in the file.
void checkCapture(HWND window, int port) {
    HMENU menu = GetSystemMenu(window, FALSE);
    PostMessageW(window, WM_SYSCOMMAND, IDM_TIMESTAMPS, 0);
    CHECK(waitFor([&] { return (GetMenuState(menu, IDM_TIMESTAMPS, MF_BYCOMMAND) & MF_CHECKED) != 0; }));
    PostMessageW(window, WM_SYSCOMMAND, IDM_TIMESTAMPS, 0);
    CHECK(waitFor([&] { return (GetMenuState(menu, IDM_TIMESTAMPS, MF_BYCOMMAND) & MF_CHECKED) == 0; }));

    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"korvane-capture-check.txt";
    DeleteFileW(path.c_str());
    openPort(window, port);
    click(window, IDC_RXCLEAR);
    PostMessageW(window, WM_SYSCOMMAND, IDM_SAVE, 0);
    HWND dialog = nullptr;
    CHECK(waitFor([&] { return (dialog = saveDialogOver(window)) != nullptr; }));
    if (dialog == nullptr) return;
    const std::wstring offered = itemText(dialog, fileNameBox(dialog));
    const std::wstring prefix = L"COM" + std::to_wstring(port) + L"_";
    CHECK(offered.rfind(prefix, 0) == 0 && offered.size() == prefix.size() + 19 && offered.substr(offered.size() - 4) == L".txt");
    if (offered.rfind(prefix, 0) != 0) std::printf("  offered \"%s\"\n", cp936::fromUtf16(offered).c_str());
    SetDlgItemTextW(dialog, fileNameBox(dialog), path.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    CHECK(waitFor([&] { return menuText(menu, IDM_SAVE, MF_BYCOMMAND) == L"停止保存(&S)"; }));

    setItemText(window, IDC_TXTEXT, L"保存 saved\r\n");
    click(window, IDC_SEND);
    EXPECT_TEXT_SOON(window, IDC_RXTEXT, L"保存 saved\r\n");
    PostMessageW(window, WM_SYSCOMMAND, IDM_SAVE, 0);
    CHECK(waitFor([&] { return menuText(menu, IDM_SAVE, MF_BYCOMMAND) == L"保存接收数据(&S)..."; }));
    const std::string expected = cp936::fromUtf16(L"保存 saved\r\n");
    CHECK(waitFor([&] { return fileContent(path) == expected; }));
    if (fileContent(path) != expected) std::printf("  the file holds \"%s\"\n", fileContent(path).c_str());
    DeleteFileW(path.c_str());
    click(window, IDC_OPEN);
    EXPECT_TEXT_SOON(window, IDC_OPEN, L"打开");
}

void checkEnterKeys(HWND window) {
    // In the output box Enter is a line break; the window stays.
    HWND output = GetDlgItem(window, IDC_TXTEXT);
    setItemText(window, IDC_TXTEXT, L"ab");
    focus(window, IDC_TXTEXT);
    SendMessageW(output, EM_SETSEL, 2, 2);
    pressKey(output, VK_RETURN);
    EXPECT_TEXT_SOON(window, IDC_TXTEXT, L"ab\r\n");
    CHECK(IsWindowVisible(window));

    // Elsewhere Enter is OK, which checks the boxes first: 0 is no packet size.
    HWND packetSize = GetDlgItem(window, IDC_PACKETSIZE);
    setItemText(window, IDC_PACKETSIZE, L"0");
    focus(window, IDC_PACKETSIZE);
    pressKey(packetSize, VK_RETURN);
    CHECK(dismissMessageBox() == L"“请填入一个在1和1024之间的整数。”");
    CHECK(waitFor([&] { return focusedWindow() == packetSize; }));
    DWORD start = 9;
    DWORD end = 9;
    SendMessageW(packetSize, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    CHECK(start == 0 && end == 1);
    CHECK(IsWindowVisible(window));
    setItemText(window, IDC_PACKETSIZE, L"1");
}

void checkAboutBox(HWND window) {
    enum Closing { enter, escape, okButton };
    for (Closing closing : {enter, escape, okButton}) {
        forgetAboutWindow();
        PostMessageW(window, WM_SYSCOMMAND, IDM_ABOUT, 0);
        HWND about = nullptr;
        CHECK(waitFor([&] { return (about = aboutWindow()) != nullptr && IsWindowVisible(about); }));
        if (about == nullptr) return;
        if (closing == enter) {
            CHECK(windowText(about) == L"关于");
            CHECK(FindWindowExW(about, nullptr, L"Static", L"Korvane3.1 版") != nullptr);
            EXPECT_TEXT(about, IDC_ABOUT_OK, L"确定");
            CHECK(!IsWindowEnabled(window));  // modal over the main window
        }
        if (closing == okButton) click(about, IDC_ABOUT_OK);
        else pressKey(focusedWindow(), closing == enter ? VK_RETURN : VK_ESCAPE);
        CHECK(waitFor([&] { return !IsWindow(about); }));
        CHECK(waitFor([&] { return IsWindowEnabled(window) != FALSE; }));
    }
}

void checkCloseRequest(HWND window, int port) {
    // With the port open and the timed send running: both stop, and the window ends.
    openPort(window, port);
    setItemText(window, IDC_TXTEXT, L"tick\r\n");
    click(window, IDC_TIMEDSEND);
    CHECK(waitFor([&] { return isChecked(window, IDC_TIMEDSEND); }));
    PostMessageW(window, WM_CLOSE, 0, 0);
    CHECK(waitFor([&] { return !IsWindow(window); }));
}

}  // namespace dialogCheck
