// Learning of devices coming and going: the virtual-port folder over a real temporary folder,
// and tty devices through the system's own notifications.
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "platform/posix/deviceWatch.h"
#include "platform/posix/portFolderWatch.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// Generous for what must come; short for what must not, whose notifications would be queued
// by the time the action returns (inotify and the kernel's uevents are told synchronously).
constexpr milliseconds comes{20000};
constexpr milliseconds staysQuiet{200};

// Waits on fd and takes what comes until take says it was relevant or the wait is over.
template <class Watch>
bool notified(Watch& watch, milliseconds wait) {
    const auto end = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const auto left = std::chrono::duration_cast<milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() < 0) return false;
        pollfd p{watch.fd(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) > 0 && watch.takeNotifications()) return true;
    }
}

class TempRoot : public ::testing::Test {
protected:
    fs::path root, folder;
    void SetUp() override {
        char path[] = "/tmp/korvane-watch-XXXXXX";
        ASSERT_NE(mkdtemp(path), nullptr);
        root = path;
        folder = root / "run" / "korvane" / "ports";
    }
    void TearDown() override { fs::remove_all(root); }
};

using PortFolderWatchTest = TempRoot;

TEST_F(PortFolderWatchTest, ToldOfLinksAsTheFolderComesAndGoes) {
    struct Step {
        const char* what;
        std::function<void(const fs::path& root, const fs::path& folder)> act;
        bool notified;
    };
    const auto makeFolder = [](const fs::path&, const fs::path& f) { fs::create_directories(f); };
    const auto link = [](const char* name) {
        return [name](const fs::path&, const fs::path& f) { fs::create_symlink("/dev/null", f / name); };
    };
    const auto makeFolderWithLink = [](const fs::path&, const fs::path& f) {
        fs::create_directories(f);
        fs::create_symlink("/dev/null", f / "com9");
    };
    const auto removeFolder = [](const fs::path&, const fs::path& f) { fs::remove_all(f); };
    struct Case {
        const char* name;
        std::function<void(const fs::path& root, const fs::path& folder)> before;  // before watching
        std::vector<Step> steps;
    };
    // clang-format off
    const Case cases[] = {
        {"a link made", makeFolder, {{"com7 made", link("com7"), true}}},
        {"a link removed", makeFolderWithLink,
         {{"com9 removed", [](auto&, auto& f) { fs::remove(f / "com9"); }, true}}},
        {"links renamed in and out", makeFolderWithLink,
         {{"com9 renamed out", [](auto& r, auto& f) { fs::rename(f / "com9", r / "away"); }, true},
          {"a link renamed in as com3", [](auto& r, auto& f) { fs::rename(r / "away", f / "com3"); }, true}}},
        {"other names in the folder", makeFolder,
         {{"a file made", [](auto&, auto& f) { std::ofstream(f / "notes.txt") << "x"; }, false},
          {"com7 made", link("com7"), true}}},
        {"the folder missing at the start", [](auto& r, auto&) { fs::create_directories(r / "run"); },
         {{"something else made beside it", [](auto& r, auto&) { fs::create_directories(r / "run" / "other"); }, false},
          {"the folder made with a link", makeFolderWithLink, true},
          {"com7 made", link("com7"), true}}},
        {"nothing of the path there at the start", nullptr,
         {{"the folder made with a link, all at once", makeFolderWithLink, true},
          {"com7 made", link("com7"), true}}},
        {"the folder removed and made again", makeFolderWithLink,
         {{"the folder removed", removeFolder, true},
          {"the folder made again", makeFolder, true},
          {"com7 made", link("com7"), true}}},
        {"the folder renamed away and back", makeFolderWithLink,
         {{"the folder renamed away", [](auto& r, auto& f) { fs::rename(f, r / "moved"); }, true},
          {"a link made in the moved folder", [](auto& r, auto&) { fs::create_symlink("/dev/null", r / "moved" / "com4"); }, false},
          {"the folder renamed back", [](auto& r, auto& f) { fs::rename(r / "moved", f); }, true},
          {"com7 made", link("com7"), true}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(root / "run");
        if (c.before) c.before(root, folder);
        posix::PortFolderWatch watch(folder.string());
        ASSERT_TRUE(watch.valid());
        for (const Step& step : c.steps) {
            SCOPED_TRACE(step.what);
            step.act(root, folder);
            EXPECT_EQ(notified(watch, step.notified ? comes : staysQuiet), step.notified);
        }
    }
}

using DeviceWatchTest = TempRoot;

TEST_F(DeviceWatchTest, OneDescriptorTellsOfTheFolderToo) {
    fs::create_directories(folder);
    posix::DeviceWatch watch(folder.string());
    ASSERT_TRUE(watch.watchesFolder());
    fs::create_symlink("/dev/null", folder / "com5");
    EXPECT_TRUE(notified(watch, comes));
}

// The kernel announces a device again when "add" is written to its uevent file, as udevadm
// trigger does. tty63, a virtual console nobody uses, stands for an adapter plugged in.
TEST_F(DeviceWatchTest, ToldOfTtyDevicesAddedNotOfOtherChanges) {
    const char* uevent = "/sys/class/tty/tty63/uevent";
    if (::access(uevent, W_OK) != 0) GTEST_SKIP() << "cannot write " << uevent << " to make a device event";
    posix::DeviceWatch watch(folder.string());
    ASSERT_NE(watch.systemSource(), posix::DeviceWatch::SystemSource::none);
    const auto announce = [&](const char* action) { std::ofstream(uevent) << action; };
    announce("change");
    EXPECT_FALSE(notified(watch, staysQuiet)) << "a change is no device coming or going";
    announce("add");
    EXPECT_TRUE(notified(watch, comes));
}

}  // namespace
