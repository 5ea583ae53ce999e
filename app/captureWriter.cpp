#include "app/captureWriter.h"

using Clock = std::chrono::steady_clock;

CaptureWriter::CaptureWriter(std::unique_ptr<dlg::OutputFile> file)
    : file_(std::move(file)), thread_([this] { run(); }) {}

CaptureWriter::~CaptureWriter() {
    finish();
    thread_.join();
}

void CaptureWriter::write(std::string_view bytes) {
    if (bytes.empty()) return;
    std::lock_guard<std::mutex> hold(lock_);
    if (done_ || finishing_) return;
    pending_.append(bytes);
    if (pending_.size() >= batchBytes) wake_.notify_one();
}

void CaptureWriter::finish() {
    std::lock_guard<std::mutex> hold(lock_);
    finishing_ = true;
    wake_.notify_one();
}

bool CaptureWriter::done() const {
    std::lock_guard<std::mutex> hold(lock_);
    return done_;
}

std::optional<dlg::FileError> CaptureWriter::failure() const {
    std::lock_guard<std::mutex> hold(lock_);
    return failure_;
}

void CaptureWriter::run() {
    Clock::time_point flushed = Clock::now();
    bool unflushed = false;  // bytes written since the last flush
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        wake_.wait_until(hold, flushed + flushPeriod, [&] { return finishing_ || pending_.size() >= batchBytes; });
        std::string batch;
        batch.swap(pending_);
        const bool last = finishing_;
        hold.unlock();

        // Each period ends with a flush, unless nothing was written in it: an idle capture
        // leaves the disk alone.
        const bool periodEnded = last || Clock::now() >= flushed + flushPeriod;
        unflushed = unflushed || !batch.empty();
        const bool flush = periodEnded && unflushed;
        dlg::FileError error;
        const bool written = writeOut(batch, flush, last, error);
        if (periodEnded) flushed = Clock::now();
        if (flush) unflushed = false;

        hold.lock();
        if (!written) {
            failure_ = error;
            pending_.clear();
            pending_.shrink_to_fit();
        }
        if (!written || last) {
            done_ = true;
            return;
        }
    }
}

bool CaptureWriter::writeOut(const std::string& batch, bool flush, bool last, dlg::FileError& error) {
    bool ok = batch.empty() || file_->write(batch.data(), batch.size(), error);
    if (ok && flush) ok = file_->flush(error);
    if (ok && last) ok = file_->close(error);
    if (!ok) file_.reset();  // what was written stays; the file is closed without more
    return ok;
}
