// Capture to a file: what the file holds for the bytes the ticks take, the writer thread in
// front of the file, and the system-menu commands on the window.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/captureStream.h"
#include "app/captureWriter.h"
#include "serial/rxQueue.h"
#include "tests/app/appTestSupport.h"
#include "tests/support/cp936.h"
#include "tests/support/scopedOsApi.h"

namespace {

using namespace std::string_literals;

// 2026-12-08 09:10:45.000 plus ms (under a minute).
SYSTEMTIME localAt(std::uint64_t ms) {
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 8;
    t.wHour = 9;
    t.wMinute = 10;
    t.wSecond = static_cast<WORD>(45 + ms / 1000);
    t.wMilliseconds = static_cast<WORD>(ms % 1000);
    return t;
}

template <class Condition>
bool waitFor(Condition condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(CaptureStream, BytesAsReceivedOrLinesStampedWithTheTickOfTheirFirstByte) {
    struct Tick {
        std::string bytes;
        std::uint64_t ms;
        int stamps = -1;  // switched on (1) or off (0) before the tick; -1 as it was
    };
    struct Case {
        const char* what;
        std::vector<Tick> ticks;
        std::string file;
    };
    const Case cases[] = {
        {"without stamps the bytes pass as they are, and a pause adds nothing",
         {{"a\r", 0, 0}, {"", 1000}, {"b\n\0c"s, 1050}},
         "a\rb\n\0c"s},
        {"a line is stamped with the tick that took its first byte",
         {{"OK\r\nER", 0, 1}, {"R\r\n", 50}, {"x", 100}},
         "[2026-12-08 09:10:45.000] OK\r\n[2026-12-08 09:10:45.000] ERR\r\n[2026-12-08 09:10:45.100] x"},
        {"a stamped line ends once 200 ms pass without a byte",
         {{"AT", 0, 1}, {"", 150}, {"+", 199}, {"", 398}, {"", 399}, {"", 600}, {"Z", 650}},
         "[2026-12-08 09:10:45.000] AT+\n[2026-12-08 09:10:45.650] Z"},
        {"stamps switched on apply from the next line, switched off too",
         {{"ab", 0, 0}, {"c\nd", 50, 1}, {"e\nf", 100, 0}, {"", 1000}},
         "abc\n[2026-12-08 09:10:45.050] de\nf"},
        {"a stamped line ends after a pause though stamps were switched off",
         {{"x", 0, 1}, {"", 300, 0}, {"y", 350}},
         "[2026-12-08 09:10:45.000] x\ny"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CaptureStream stream;
        std::string file;
        for (const Tick& tick : c.ticks) {
            if (tick.stamps >= 0) stream.setTimeStamps(tick.stamps == 1);
            file += stream.next(reinterpret_cast<const std::uint8_t*>(tick.bytes.data()), tick.bytes.size(),
                                localAt(tick.ms), tick.ms);
        }
        EXPECT_EQ(file, c.file);
    }
}

struct WriterOnFakeFile {
    std::shared_ptr<FakeFileState> file = std::make_shared<FakeFileState>();
    CaptureWriter writer{std::make_unique<FakeOutputFile>(file)};

    bool finished() {
        writer.finish();
        return waitFor([&] { return writer.done(); });
    }
};

TEST(CaptureWriter, WritesEverythingInOrderThenFlushesAndCloses) {
    WriterOnFakeFile w;
    const std::string big(CaptureWriter::batchBytes + 5, 'b');
    w.writer.write("first ");
    w.writer.write(big);
    w.writer.write("last");
    ASSERT_TRUE(w.finished());
    EXPECT_EQ(w.file->written(), "first " + big + "last");
    EXPECT_TRUE(w.file->closed);
    EXPECT_GE(w.file->flushes, 1);
    EXPECT_FALSE(w.writer.failure());

    WriterOnFakeFile idle;
    ASSERT_TRUE(idle.finished());
    EXPECT_TRUE(idle.file->closed);
    EXPECT_EQ(idle.file->flushes, 0) << "nothing written, nothing to flush";
}

// A failure ends the writing; the file keeps what was written before it.
TEST(CaptureWriter, TheFirstFailureEndsTheWritingAndKeepsWhatWasWritten) {
    struct Case {
        const char* what;
        std::size_t room;
        std::optional<dlg::FileError> failFlush;
        std::string kept;
        dlg::FileFailure failure;
    };
    const Case cases[] = {
        {"a full disk", 10, std::nullopt, "0123456789", dlg::FileFailure::diskFull},
        {"a stick pulled before the flush", std::string::npos, dlg::FileError{dlg::FileFailure::deviceGone, 5},
         "0123456789ABC", dlg::FileFailure::deviceGone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriterOnFakeFile w;
        w.file->room = c.room;
        w.file->failFlush = c.failFlush;
        w.writer.write("0123456789ABC");
        ASSERT_TRUE(w.finished());
        w.writer.write("later");
        ASSERT_TRUE(w.writer.failure());
        EXPECT_EQ(w.writer.failure()->failure, c.failure);
        EXPECT_EQ(w.file->written(), c.kept);
    }
}

TEST(CaptureWriter, AStalledDiskHoldsUpNoCaller) {
    WriterOnFakeFile w;
    w.file->stall(true);
    const std::string batch(CaptureWriter::batchBytes, 'x');
    w.writer.write(batch);
    ASSERT_TRUE(waitFor([&] {
        std::lock_guard<std::mutex> hold(w.file->lock);
        return w.file->writeWaiting;
    }));
    w.writer.write("more");  // returns though the file does not take a byte
    w.writer.finish();
    EXPECT_FALSE(w.writer.done());
    w.file->stall(false);
    ASSERT_TRUE(waitFor([&] { return w.writer.done(); }));
    EXPECT_EQ(w.file->written(), batch + "more");
}

#ifndef _WIN32  // the port is a pseudo-terminal
void queue(const std::string& bytes) {
    ASSERT_EQ(put(&rxQueue, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                  static_cast<std::uint32_t>(bytes.size())),
              bytes.size());
}

// The tick's clocks, at the test's command: 2026-12-08 09:10:45 plus nowMs.
std::uint64_t nowMs = 0;

struct CaptureWindow {
    ScopedOsApi api;  // outlives the port's monitor thread
    DialogWithPort window;
    FakeDialogHost& host = window.host;

    CaptureWindow() {
        nowMs = 0;
        api->GetLocalTime = [](LPSYSTEMTIME t) { *t = localAt(nowMs); };
        api->GetTickCount64 = []() -> ULONGLONG { return nowMs; };
    }
    std::string menuText(int command) { return host.menuItem(command)->text; }
    // The peer sends bytes; ticks run until they are all taken.
    bool receive(const std::string& bytes) {
        const std::int32_t before = window.dialog.rxCount;
        window.peer.send(bytes);
        return eventually([&] {
            host.tick(TIMER_DISPLAY);
            return window.dialog.rxCount - before >= static_cast<std::int32_t>(bytes.size());
        });
    }
    // Saving into path, which the user chooses in the save dialog.
    void startSaving(const std::string& path) {
        host.saveAnswer = path;
        host.systemCommand(IDM_SAVE);
    }
    FakeFileState& file(const std::string& path) { return *host.files.at(path); }
    bool closed(const std::string& path) {
        return eventually([&] {
            std::lock_guard<std::mutex> hold(file(path).lock);
            return file(path).closed;
        });
    }
};

TEST(Capture, SavesEveryByteReceivedPausedOrNotUntilTheUserStops) {
    CaptureWindow w;
    w.host.systemCommand(IDM_SAVE);
    EXPECT_EQ(w.host.messages, std::vector<std::string>{cp936("串口设备没有打开")});
    EXPECT_TRUE(w.host.saveAsked.empty());
    ASSERT_TRUE(w.window.open());
    w.host.messages.clear();

    w.host.systemCommand(IDM_SAVE);  // the user cancels the save dialog
    EXPECT_EQ(w.host.saveAsked, std::vector<std::string>{"COM201_20261208-091045.txt"});
    EXPECT_TRUE(w.host.files.empty());
    EXPECT_EQ(w.menuText(IDM_SAVE), cp936("保存接收数据(&S)..."));

    ASSERT_TRUE(w.receive("before "));
    w.startSaving("/docs/a.txt");
    EXPECT_EQ(w.menuText(IDM_SAVE), cp936("停止保存(&S)"));
    ASSERT_TRUE(w.receive("shown\r\n"s + '\0'));
    w.host.click(IDC_PAUSE);
    ASSERT_TRUE(w.receive("\xB0\xA1 paused"));
    w.host.systemCommand(IDM_SAVE);
    EXPECT_EQ(w.menuText(IDM_SAVE), cp936("保存接收数据(&S)..."));
    ASSERT_TRUE(w.receive(" after"));

    ASSERT_TRUE(w.closed("/docs/a.txt"));
    EXPECT_EQ(w.file("/docs/a.txt").written(), "shown\r\n"s + '\0' + "\xB0\xA1 paused");
    EXPECT_EQ(w.host.text(IDC_RXTEXT), "before shown\r\n.");
    EXPECT_TRUE(w.host.messages.empty());
}

TEST(Capture, TimeStampsAreASwitchThatStampsTheNextLine) {
    CaptureWindow w;
    ASSERT_TRUE(w.window.open());
    w.host.systemCommand(IDM_TIMESTAMPS);
    EXPECT_TRUE(w.host.menuItem(IDM_TIMESTAMPS)->checked);
    w.startSaving("/docs/t.txt");
    nowMs = 120;
    ASSERT_TRUE(w.receive("OK\r\n"));
    w.host.systemCommand(IDM_TIMESTAMPS);
    EXPECT_FALSE(w.host.menuItem(IDM_TIMESTAMPS)->checked);
    ASSERT_TRUE(w.receive("plain\n"));
    w.host.systemCommand(IDM_SAVE);
    ASSERT_TRUE(w.closed("/docs/t.txt"));
    EXPECT_EQ(w.file("/docs/t.txt").written(), "[2026-12-08 09:10:45.120] OK\r\nplain\n");
}

// The port closing ends the saving once the bytes it received are taken; the program ending
// puts what is still queued into the file.
TEST(Capture, EndsWithThePortsLastBytesOrWithTheProgram) {
    {
        CaptureWindow w;
        ASSERT_TRUE(w.window.open());
        w.startSaving("/docs/c.txt");
        ASSERT_TRUE(w.receive("one "));
        queue("two");  // still queued as the port closes
        w.host.click(IDC_OPEN);
        EXPECT_EQ(w.menuText(IDM_SAVE), cp936("停止保存(&S)"));
        w.host.tick(TIMER_DISPLAY);
        EXPECT_EQ(w.menuText(IDM_SAVE), cp936("保存接收数据(&S)..."));
        ASSERT_TRUE(w.closed("/docs/c.txt"));
        EXPECT_EQ(w.file("/docs/c.txt").written(), "one two");
    }
    {
        CaptureWindow w;
        ASSERT_TRUE(w.window.open());
        w.startSaving("/docs/e.txt");
        queue("queued");
        std::shared_ptr<FakeFileState> file = w.host.files.at("/docs/e.txt");
        w.host.requestClose();
        EXPECT_TRUE(eventually([&] {
            std::lock_guard<std::mutex> hold(file->lock);
            return file->closed;
        }));
        EXPECT_EQ(file->written(), "queued");
    }
}

// A file that cannot be made or written is told with why and its name; the window goes on.
TEST(Capture, AFileThatFailsStopsTheSavingWithAMessage) {
    CaptureWindow w;
    ASSERT_TRUE(w.window.open());
    w.host.createFails = dlg::FileError{dlg::FileFailure::folderMissing, 2};
    w.startSaving("/gone/a.txt");
    EXPECT_EQ(w.host.messages, std::vector<std::string>{cp936("接收数据保存失败：文件夹不存在\n文件：/gone/a.txt")});
    EXPECT_EQ(w.menuText(IDM_SAVE), cp936("保存接收数据(&S)..."));

    w.host.messages.clear();
    w.host.createFails.reset();
    w.startSaving("/stick/b.txt");
    {
        std::lock_guard<std::mutex> hold(w.file("/stick/b.txt").lock);
        w.file("/stick/b.txt").room = 3;
    }
    ASSERT_TRUE(w.receive("abcdef"));
    w.window.peer.send("more");
    ASSERT_TRUE(eventually([&] {
        w.host.tick(TIMER_DISPLAY);
        return !w.host.messages.empty() && w.window.dialog.rxCount == 10;
    })) << "the writer flushes within a second of the bytes";
    EXPECT_EQ(w.host.messages, std::vector<std::string>{cp936("接收数据保存失败：磁盘已满\n文件：/stick/b.txt")});
    EXPECT_EQ(w.menuText(IDM_SAVE), cp936("保存接收数据(&S)..."));
    EXPECT_EQ(w.file("/stick/b.txt").written(), "abc");
    EXPECT_EQ(w.host.text(IDC_RXTEXT), "abcdefmore") << "receiving and display go on";
    EXPECT_TRUE(w.window.dialog.portOpen());

    struct Reason {
        dlg::FileError error;
        const char* text;
    };
    const Reason reasons[] = {
        {{dlg::FileFailure::denied, 13}, "没有写入权限"},
        {{dlg::FileFailure::deviceGone, 5}, "磁盘已移除或无法读写"},
        {{dlg::FileFailure::other, 1234}, "系统错误 1234"},
    };
    for (const Reason& reason : reasons) {
        w.host.messages.clear();
        w.host.createFails = reason.error;
        w.startSaving("f");
        EXPECT_EQ(w.host.messages, std::vector<std::string>{cp936("接收数据保存失败：") + cp936(reason.text) +
                                                              cp936("\n文件：f")});
    }
}
#endif

}  // namespace
