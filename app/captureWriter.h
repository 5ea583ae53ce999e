#pragma once
// Writes a capture's bytes into its file on a thread of its own, so that a slow or stalled
// disk never holds up the window. What is handed over waits in memory and is written once
// 64 KiB wait, or a second after the last write; the file is flushed to the disk at least
// once a second and when the writer finishes. The first failure ends the writing: what was
// written stays in the file, and later bytes are dropped.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/outputFile.h"

class CaptureWriter {
public:
    static constexpr std::size_t batchBytes = 64 * 1024;
    static constexpr std::chrono::seconds flushPeriod{1};

    explicit CaptureWriter(std::unique_ptr<dlg::OutputFile> file);
    // Finishes, and waits until everything is written and the file closed.
    ~CaptureWriter();
    CaptureWriter(const CaptureWriter&) = delete;
    CaptureWriter& operator=(const CaptureWriter&) = delete;

    // Never waits for the disk.
    void write(std::string_view bytes);
    // Asks for what is left to be written, flushed and the file closed; returns at once.
    void finish();
    // The file is closed, or the writing failed.
    bool done() const;
    // Why the writing failed, once it has.
    std::optional<dlg::FileError> failure() const;

private:
    void run();
    bool writeOut(const std::string& batch, bool flush, bool last, dlg::FileError& error);

    std::unique_ptr<dlg::OutputFile> file_;  // the writer thread's alone
    mutable std::mutex lock_;                // guards what follows
    std::condition_variable wake_;
    std::string pending_;
    bool finishing_ = false;
    bool done_ = false;
    std::optional<dlg::FileError> failure_;
    std::thread thread_;  // last: it starts once the rest exists
};
