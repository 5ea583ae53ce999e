// Sending: the output box once (手动输出) or on the send timer, as text or as the bytes its
// hex text spells; the hex switch converts the box; fill puts in the next test command.
#include <vector>

#include "app/counters.h"
#include "app/mainDialog.h"
#include "codec/hexText.h"
#include "resources/resourceIds.h"
#include "resources/texts.h"

namespace {

// Hex text back to text: one character per byte; a 00 byte adds nothing, as text ends there.
std::string plainTextOf(const std::string& compactHex) {
    std::vector<std::uint8_t> bytes(compactHex.size() / 2);
    hexTextToBytes(compactHex.data(), compactHex.size(), bytes.data());
    std::string text;
    for (std::uint8_t b : bytes)
        if (b != 0) text += static_cast<char>(b);
    return text;
}

}  // namespace

void MainDialog::onManualSend() {
    if (!portOpen()) return host().messageBox(text::portNotOpen);
    sendOutput();
}

// A tick that comes while an earlier tick's message is still up (a modal box lets timers
// run) neither sends nor stacks another message over it. A tick that finds the port closed
// (it went from under the timer) stops the timer and sends nothing.
void MainDialog::onSendTimer() {
    if (!portOpen()) return stopTimedSend();
    if (!sendMessageOpen_) sendOutput();
}

void MainDialog::sendOutput() {
    const std::string output = host().text(IDC_TXTEXT);
    std::vector<std::uint8_t> bytes;
    if (!txHex) {
        if (output.empty()) return;
        bytes.assign(output.begin(), output.end());
    } else {
        const std::string compact = compactHexText(output);
        if (compact.empty() || compact.size() % 2 != 0) {
            sendMessageOpen_ = true;
            host().messageBox(text::hexLengthInvalid);
            sendMessageOpen_ = false;
            return;
        }
        bytes.resize(compact.size() / 2);
        hexTextToBytes(compact.data(), compact.size(), bytes.data());
    }
    const auto count = static_cast<std::uint32_t>(bytes.size());
    if (portOpen()) writeToPort(bytes.data(), count);
    // Counted whatever became of the write: it is not awaited.
    addWrapping(txCount, count);
    host().setText(IDC_TXCOUNT, countText(txCount));
}

// Line errors left from earlier writes drop what the driver still holds; the write itself is
// handed over and not awaited (the port takes the bytes over at the call).
void MainDialog::writeToPort(const std::uint8_t* bytes, std::uint32_t count) {
    DWORD errors = 0;
    if (os::ClearCommError(comm->handle, &errors, nullptr) && errors != 0)
        os::PurgeComm(comm->handle, PURGE_TXABORT | PURGE_TXCLEAR);
    DWORD written = 0;
    os::WriteFile(comm->handle, bytes, count, &written, &comm->writeOverlapped);
}

// The switch's own state says what the user wants; the exchange may have stopped before it.
// A box the exchange rejects has shown its message, and the period may be what it rejected:
// then the timer does not start and the switch goes back off.
void MainDialog::onTimedSend() {
    const bool exchanged = updateData(true);
    if (!portOpen()) {
        host().messageBox(text::portNotOpened);
        return switchTimedSendOff();
    }
    if (host().checked(IDC_TIMEDSEND) && exchanged)
        startSendTimer();
    else
        switchTimedSendOff();
}

void MainDialog::startSendTimer() {
    if (sendPeriodMs < sendPeriodMinMs || sendPeriodMs > sendPeriodMaxMs) return switchTimedSendOff();
    host().setTimer(TIMER_SEND, static_cast<unsigned>(sendPeriodMs));
    sendTimerRunning_ = true;
    timedSend = 1;
    host().enable(IDC_PERIOD, false);
}

void MainDialog::switchTimedSendOff() {
    if (sendTimerRunning_) host().killTimer(TIMER_SEND);
    sendTimerRunning_ = false;
    host().enable(IDC_PERIOD, true);
    timedSend = 0;
    host().setChecked(IDC_TIMEDSEND, 0);
}

void MainDialog::stopTimedSend() {
    if (sendTimerRunning_) switchTimedSendOff();
}

void MainDialog::onOutputHexToggle() {
    updateData(true);
    const std::string output = host().text(IDC_TXTEXT);
    if (txHex) {
        host().setText(IDC_TXTEXT,
                       bytesToHexText(reinterpret_cast<const std::uint8_t*>(output.data()), output.size()));
        return;
    }
    const std::string compact = compactHexText(output);
    if (compact.empty()) return;
    if (compact.size() % 2 != 0) {
        txHex = 1;
        host().setChecked(IDC_TXHEX, 1);
        return;
    }
    host().setText(IDC_TXTEXT, plainTextOf(compact));
}

void MainDialog::onFill() {
    txHex = 0;
    host().setChecked(IDC_TXHEX, 0);
    const auto next = static_cast<std::uint32_t>(fillIndex) % text::testCommandCount;
    host().setText(IDC_TXTEXT, text::testCommands[next]);
    fillIndex = static_cast<std::int32_t>(static_cast<std::uint32_t>(fillIndex) + 1);
}

void MainDialog::onClearOutput() { host().setText(IDC_TXTEXT, ""); }
