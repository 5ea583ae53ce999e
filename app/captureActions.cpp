// Capture to a file: from the system menu the user saves what the port receives into a file,
// byte for byte as received, or with each line time-stamped; the display tick hands the file
// every byte it takes. Saving stops when the user says so, when the port has closed and its
// last bytes are taken, when the program ends, or when the file fails; a failure is told.
#include <cstdio>
#include <cstring>

#include "app/mainDialog.h"
#include "resources/resourceIds.h"
#include "resources/texts.h"
#include "serial/rxQueue.h"

namespace {

// COM3_20261208-091045.txt
std::string captureFileName(std::int32_t portNumber, const SYSTEMTIME& t) {
    char name[64];
    std::snprintf(name, sizeof name, "COM%d_%04u%02u%02u-%02u%02u%02u.txt", static_cast<int>(portNumber), t.wYear,
                  t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return name;
}

std::string reasonText(const dlg::FileError& error) {
    switch (error.failure) {
        case dlg::FileFailure::folderMissing: return text::saveFolderMissing;
        case dlg::FileFailure::denied: return text::saveDenied;
        case dlg::FileFailure::diskFull: return text::saveDiskFull;
        case dlg::FileFailure::deviceGone: return text::saveDeviceGone;
        case dlg::FileFailure::other: break;
    }
    char reason[64];
    std::snprintf(reason, sizeof reason, text::saveSystemError, static_cast<long long>(error.code));
    return reason;
}

std::string failureText(const dlg::FileError& error, const std::string& file) {
    const std::string reason = reasonText(error);
    std::string message(std::strlen(text::saveFailed) + reason.size() + file.size() + 1, '\0');
    message.resize(static_cast<std::size_t>(
        std::snprintf(message.data(), message.size(), text::saveFailed, reason.c_str(), file.c_str())));
    return message;
}

}  // namespace

void MainDialog::onSaveCommand() {
    if (capture_) return stopCapture();
    if (!portOpen()) return host().messageBox(text::portNotOpen);
    startCapture();
}

void MainDialog::startCapture() {
    SYSTEMTIME now{};
    os::GetLocalTime(&now);
    std::string path, shownPath;
    if (!host().askSaveFile(captureFileName(comm->portNumber, now), path, shownPath)) return;
    // The display went on while the user chose; the port may have gone meanwhile.
    if (!portOpen()) return host().messageBox(text::portNotOpen);
    dlg::FileError error;
    std::unique_ptr<dlg::OutputFile> file = host().createFile(path, error);
    if (!file) return host().messageBox(failureText(error, shownPath));
    capture_ = std::make_unique<CaptureWriter>(std::move(file));
    captureFile_ = shownPath;
    captureStream_ = CaptureStream();
    captureStream_.setTimeStamps(captureTimeStamps_);
    host().setMenuItemText(IDM_SAVE, text::stopSavingMenuItem);
}

void MainDialog::stopCapture() {
    capture_->finish();
    closingCaptures_.push_back({std::move(capture_), std::move(captureFile_)});
    host().setMenuItemText(IDM_SAVE, text::saveMenuItem);
}

void MainDialog::onTimeStampsCommand() {
    captureTimeStamps_ = !captureTimeStamps_;
    captureStream_.setTimeStamps(captureTimeStamps_);
    host().setMenuItemChecked(IDM_TIMESTAMPS, captureTimeStamps_);
}

void MainDialog::captureTaken(const std::uint8_t* bytes, std::uint32_t count) {
    SYSTEMTIME local{};
    os::GetLocalTime(&local);
    capture_->write(captureStream_.next(bytes, count, local, os::GetTickCount64()));
}

// After the port has closed, the capture goes on until the bytes it received are all taken.
void MainDialog::captureStep(const std::uint8_t* bytes, std::uint32_t count) {
    if (!capture_) return;
    captureTaken(bytes, count);
    if (capture_->failure() || (!portOpen() && length(&rxQueue) == 0)) stopCapture();
}

// The program ends: what the queue still holds goes into the file, not to the screen.
void MainDialog::drainIntoCapture() {
    while (capture_ && length(&rxQueue) > 0)
        captureTaken(rxDisplayBuffer.get(), get(&rxQueue, rxDisplayBuffer.get(), displayChunkMax));
}

void MainDialog::reportCaptureFailures() {
    std::vector<std::string> messages;
    for (auto closing = closingCaptures_.begin(); closing != closingCaptures_.end();) {
        if (!closing->writer->done()) {
            ++closing;
            continue;
        }
        if (const auto error = closing->writer->failure()) messages.push_back(failureText(*error, closing->file));
        closing = closingCaptures_.erase(closing);
    }
    // Each box runs the window's timers while it is up, and with them this step again.
    for (const std::string& message : messages) host().messageBox(message);
}
