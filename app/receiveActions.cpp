// The receive display: every display tick takes what the port's monitor thread has queued,
// counts it and shows it; around it the options, the clear and reset buttons and the
// receive packet size.
#include <algorithm>

#include "app/counters.h"
#include "app/mainDialog.h"
#include "resources/resourceIds.h"
#include "resources/texts.h"
#include "serial/rxQueue.h"

// A lead byte kept back at the last tick waits no longer than this tick: without data, or
// with the display paused, it is shown alone.
void MainDialog::displayStep() {
    const std::int32_t waiting = length(&rxQueue);
    if (waiting < 1) return showReceived(receiveText_.release(rxHex != 0));
    const std::uint32_t n = get(&rxQueue, rxDisplayBuffer,
                                std::min(static_cast<std::uint32_t>(waiting), displayChunkMax));
    addWrapping(rxCount, n);
    host().setText(IDC_RXCOUNT, countText(rxCount));
    if (pauseDisplay) return showReceived(receiveText_.release(rxHex != 0));
    showReceived(receiveText_.next(rxDisplayBuffer, n, rxHex != 0));
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
