#pragma once
// An output file in memory for the dialog logic's tests. Its state is shared with the test,
// which reads what was written and can make the next write or flush fail, or hold writes
// until it lets them go (a stalled disk). Calls come from the capture's writer thread.

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/outputFile.h"

struct FakeFileState {
    mutable std::mutex lock;
    std::condition_variable changed;
    std::string content;
    int flushes = 0;
    bool closed = false;
    std::size_t room = std::string::npos;        // bytes it takes before writes fail: a full disk
    std::optional<dlg::FileError> failFlush;     // the next flush fails so
    bool stalled = false;                        // writes wait while set
    bool writeWaiting = false;                   // a write waits on the stall

    std::string written() const {
        std::lock_guard<std::mutex> hold(lock);
        return content;
    }
    void stall(bool on) {
        std::lock_guard<std::mutex> hold(lock);
        stalled = on;
        changed.notify_all();
    }
};

class FakeOutputFile : public dlg::OutputFile {
public:
    explicit FakeOutputFile(std::shared_ptr<FakeFileState> state) : state_(std::move(state)) {}

    bool write(const char* bytes, std::size_t count, dlg::FileError& error) override {
        std::unique_lock<std::mutex> hold(state_->lock);
        state_->writeWaiting = true;
        state_->changed.notify_all();
        state_->changed.wait(hold, [&] { return !state_->stalled; });
        state_->writeWaiting = false;
        const std::size_t room = state_->room - std::min(state_->room, state_->content.size());
        state_->content.append(bytes, std::min(count, room));
        if (count <= room) return true;
        error = {dlg::FileFailure::diskFull, 28};
        return false;
    }
    bool flush(dlg::FileError& error) override {
        std::lock_guard<std::mutex> hold(state_->lock);
        ++state_->flushes;
        if (!state_->failFlush) return true;
        error = *state_->failFlush;
        state_->failFlush.reset();
        return false;
    }
    bool close(dlg::FileError&) override {
        std::lock_guard<std::mutex> hold(state_->lock);
        state_->closed = true;
        return true;
    }

private:
    std::shared_ptr<FakeFileState> state_;
};
