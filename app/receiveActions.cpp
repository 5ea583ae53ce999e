// The receive display: every display tick takes what the port's monitor thread has queued,
// counts it and shows it; around it the options, the clear and reset buttons and the
// receive packet size.
#include <algorithm>
#include <cstdio>

#include "app/counters.h"
#include "app/mainDialog.h"
#include "resources/resourceIds.h"
#include "resources/texts.h"
#include "serial/rxQueue.h"

// A message about the capture comes last, when the tick's work is done: timers go on meanwhile.
void MainDialog::displayStep() {
    takeReceived();
    noticeLostPort();
    reportCaptureFailures();
}

// A lead byte kept back at the last tick waits no longer than this tick: without data, or
// with the display paused, it is shown alone. The capture sees every byte taken, paused or not.
void MainDialog::takeReceived() {
    const std::int32_t waiting = length(&rxQueue);
    std::uint32_t n = 0;
    if (waiting >= 1) {
        n = get(&rxQueue, rxDisplayBuffer.get(), std::min(static_cast<std::uint32_t>(waiting), displayChunkMax));
        addWrapping(rxCount, n);
        host().setText(IDC_RXCOUNT, countText(rxCount));
    }
    reportDropped();
    captureStep(rxDisplayBuffer.get(), n);
    if (n == 0 || pauseDisplay)
        showReceived(receiveText_.release(rxHex != 0));
    else
        showReceived(receiveText_.next(rxDisplayBuffer.get(), n, rxHex != 0));
}

// Once for each tick that finds more bytes dropped: the total since the port was opened.
void MainDialog::reportDropped() {
    const std::uint32_t dropped = droppedBytes(&rxQueue);
    if (dropped == droppedSeen_) return;
    droppedSeen_ = dropped;
    char message[96];
    std::snprintf(message, sizeof message, text::receiveOverflow, static_cast<unsigned>(dropped - droppedAtOpen_));
    host().setText(IDC_STATUS, message);
}

// Appends at the cost of the chunk. The box's whole text is read only while auto-clear is on,
// when it is short. Nothing to show leaves the box alone.
void MainDialog::showReceived(const std::string& chunkText) {
    if (chunkText.empty()) return;
    if (autoClear && host().text(IDC_RXTEXT).size() > autoClearLength) host().setText(IDC_RXTEXT, "");
    host().appendText(IDC_RXTEXT, chunkText);
}

// A byte kept back belongs to what was cleared.
void MainDialog::onClearReceive() {
    host().setText(IDC_RXTEXT, "");
    receiveText_.forget();
}

void MainDialog::onResetCounters() {
    txCount = 0;
    rxCount = 0;
    host().setText(IDC_RXCOUNT, "0");
    host().setText(IDC_TXCOUNT, "0");
}

// The display step reads the options at its next tick.
void MainDialog::onOptionToggle() { updateData(true); }

// A packet size the box does not hold (no number, or outside 1 to 1024) is not applied: the
// port keeps its threshold (one above the driver's chunk would stop receiving for good) and
// keeps what it has received.
void MainDialog::onSetPacketSize() {
    if (!portOpen()) return host().messageBox(text::portNotOpen);
    const std::int32_t previous = rxPacketSize;
    updateData(true);
    if (rejectedControl() == IDC_PACKETSIZE) {
        rxPacketSize = previous;
        return;
    }
    comm->rxThreshold = static_cast<std::uint32_t>(rxPacketSize);
    if (portOpen()) os::PurgeComm(comm->handle, PURGE_RXABORT | PURGE_RXCLEAR);
    if (portOpen()) os::PurgeComm(comm->handle, PURGE_TXABORT | PURGE_TXCLEAR);
    reset(&rxQueue);
    receiveText_.forget();
    host().setText(IDC_STATUS, text::packetSizeSet);
}
