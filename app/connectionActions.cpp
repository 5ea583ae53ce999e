// Adapters come and go. A port whose device went away is noticed at the display tick and
// closed as the close button would, with no message box; with the reconnect switch on, it is
// reopened with the same settings once the device is back (at a hot-plug event, or a try a
// second). While the port is closed, the port list follows what the system lists.
#include "app/mainDialog.h"
#include "resources/resourceIds.h"
#include "resources/texts.h"
#include "serial/rxQueue.h"

namespace {

// The serial group's combos other than the port, as SerialGroupChoice keeps them.
constexpr int lineCombos[] = {IDC_BAUD, IDC_PARITY, IDC_DATABITS, IDC_STOPBITS};

}  // namespace

MainDialog::SerialGroupChoice MainDialog::serialGroupChoice() {
    SerialGroupChoice choice{host().comboEntry(IDC_PORT, host().comboSelection(IDC_PORT)), {}};
    for (int i = 0; i < 4; ++i) choice.selections[i] = host().comboSelection(lineCombos[i]);
    return choice;
}

// A port entry no longer listed leaves the port combo as it is.
void MainDialog::showSerialGroupChoice(const SerialGroupChoice& choice) {
    for (int i = 0; i < 4; ++i) host().comboSelect(lineCombos[i], choice.selections[i]);
    for (int index = 0; index < host().comboCount(IDC_PORT); ++index)
        if (host().comboEntry(IDC_PORT, index) == choice.portEntry) return host().comboSelect(IDC_PORT, index);
}

// Called at the end of each display tick. The bytes received before the loss are still
// queued: the next ticks show them and hand them to the capture, which then stops.
void MainDialog::noticeLostPort() {
    if (!portOpen() || !comm->deviceLost) return;
    stopTimedSend();
    comm->closePort();
    enableLineSettings(true);
    lostPort_ = openedWith_;
    lostChoice_ = openedChoice_;
    showPortLost();
    host().setText(IDC_OPEN, text::openButton);
    if (reconnect_) startWaitingForPort();
    if (devicesChangedWhileOpen_) refreshPortList();
}

// The lost port in the status line, and whether it is waited for.
void MainDialog::showPortLost() {
    host().setText(IDC_STATUS, withPortNumber(reconnect_ ? text::portLostWaiting : text::portLost,
                                              lostPort_->portNumber));
}

// Switched on after a loss, the switch waits for that port too; switched off, it stops waiting.
void MainDialog::onReconnectCommand() {
    reconnect_ = !reconnect_;
    host().setMenuItemChecked(IDM_RECONNECT, reconnect_);
    if (!lostPort_ || portOpen()) return;
    showPortLost();
    if (reconnect_)
        startWaitingForPort();
    else
        stopWaitingForPort();
}

void MainDialog::startWaitingForPort() {
    waitingForPort_ = true;
    host().setTimer(TIMER_RECONNECT, reconnectPeriodMs);
}

void MainDialog::stopWaitingForPort() {
    if (!waitingForPort_) return;
    waitingForPort_ = false;
    host().killTimer(TIMER_RECONNECT);
}

// A try that fails (the device is not back yet, or another program holds it) is silent.
// Timed sending and saving stay off: the user starts them again.
void MainDialog::tryReconnect() {
    if (!waitingForPort_ || portOpen()) return;
    const LineSettings settings = *lostPort_;
    if (!openWith(settings, text::portReconnected)) {
        if (portOpen()) comm->closePort();  // opened, then refused a setting
        return;
    }
    stopWaitingForPort();
    lostPort_.reset();
    refreshPortList();  // the port came back: the list may not have it yet
    showSerialGroupChoice(lostChoice_);
    openedChoice_ = lostChoice_;
}

dlg::EventResult MainDialog::onDevicesChanged(const dlg::DialogEvent&) {
    if (portOpen()) {
        devicesChangedWhileOpen_ = true;  // the list is left alone while a port is open
        return {};
    }
    tryReconnect();
    if (!portOpen()) refreshPortList();
    return {};
}

// The selected entry stays selected while it is listed; otherwise the last entry is. A list
// the system cannot give now leaves the one shown, as does a list that has not changed.
void MainDialog::refreshPortList() {
    devicesChangedWhileOpen_ = false;
    std::vector<std::string> entries;
    std::string failure;
    if (!readPortList(entries, failure)) return;
    std::vector<std::string> shown;
    for (int index = 0; index < host().comboCount(IDC_PORT); ++index) shown.push_back(host().comboEntry(IDC_PORT, index));
    if (entries == shown && host().comboSelection(IDC_PORT) >= 0) return;
    const std::string selected = host().comboEntry(IDC_PORT, host().comboSelection(IDC_PORT));
    host().comboReset(IDC_PORT);
    int keep = -1;
    for (const std::string& entry : entries) {
        const int index = host().comboAdd(IDC_PORT, entry);
        if (keep < 0 && !selected.empty() && entry == selected) keep = index;
    }
    host().comboSelect(IDC_PORT, keep >= 0 ? keep : host().comboCount(IDC_PORT) - 1);
}

// A capture belongs to the port it was started on: once that port has closed, what it
// received is shown and saved before another port opens, and the capture ends.
void MainDialog::endCaptureOfClosedPort() {
    if (!capture_ || portOpen()) return;
    while (capture_ && length(&rxQueue) > 0) takeReceived();
    if (capture_) stopCapture();
}
