// Opening and closing the port: the one button IDC_OPEN does both, decided by whether the
// serial object holds a handle. While the port is open the line-setting combos are disabled.
#include <cstdio>

#include "app/mainDialog.h"
#include "resources/resourceIds.h"
#include "resources/texts.h"
#include "serial/rxQueue.h"

namespace {

// Enabled and disabled in this order.
constexpr int lineSettingCombos[] = {IDC_PORT, IDC_STOPBITS, IDC_DATABITS, IDC_PARITY, IDC_BAUD};

// The driver queue sizes asked for once the port runs.
constexpr DWORD driverQueueBytes = 1024;

}  // namespace

std::string withPortNumber(const char* pattern, std::int64_t portNumber) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, static_cast<int>(portNumber));
    return text;
}

void MainDialog::onOpenClose() {
    updateData(true);  // a rejected box has shown its message; the click goes on regardless
    const LineSettings settings = readLineSettings(host());
    if (portOpen()) {
        closePort(settings.portNumber);
        return;
    }
    // The user opens what is selected: a lost port is no longer waited for.
    stopWaitingForPort();
    lostPort_.reset();
    if (!openWith(settings, text::portOpened)) failOpen();
}

bool MainDialog::openWith(const LineSettings& settings, const char* statusPattern) {
    endCaptureOfClosedPort();
    droppedAtOpen_ = droppedSeen_ = droppedBytes(&rxQueue);  // no port runs: the count stands still
    if (!openAndProbe(settings)) return false;
    rxPacketSize = 1;
    writeLineSettings(settings);
    comm->rxThreshold = static_cast<std::uint32_t>(rxPacketSize);
    host().setText(IDC_PACKETSIZE, "1");
    enableLineSettings(false);
    host().setText(IDC_STATUS, withPortNumber(statusPattern, settings.portNumber));
    host().setText(IDC_OPEN, text::closeButton);
    openedWith_ = settings;
    openedChoice_ = serialGroupChoice();
    return true;
}

// Opens the port and proves that it takes the chosen baud rate with 8 data bits, no parity
// and one stop bit.
bool MainDialog::openAndProbe(const LineSettings& settings) {
    if (settings.portNumber < firstPort || settings.portNumber > lastPort) return false;
    comm->portNumber = static_cast<std::int32_t>(settings.portNumber);
    std::snprintf(comm->devicePath, sizeof comm->devicePath, "%s", devicePathFor(settings.portNumber).c_str());
    if (!comm->openPort() || !comm->setupPort() || !portOpen()) return false;
    if (os::GetCommState(comm->handle, &comm->dcb) != 1) return false;
    comm->dcb.BaudRate = settings.baudRate;
    comm->dcb.ByteSize = 8;
    comm->dcb.Parity = NOPARITY;
    comm->dcb.StopBits = ONESTOPBIT;
    return os::SetCommState(comm->handle, &comm->dcb) == 1;
}

// The chosen framing. A port that refuses it (a pseudo-terminal has only 8 data bits without
// parity) keeps the proven 8N1 and stays usable. Then the final queue sizes, and both driver
// queues emptied.
void MainDialog::writeLineSettings(const LineSettings& settings) {
    if (portOpen() && os::GetCommState(comm->handle, &comm->dcb) == 1) {
        comm->dcb.BaudRate = settings.baudRate;
        comm->dcb.ByteSize = settings.dataBits;
        comm->dcb.Parity = settings.parity;
        comm->dcb.StopBits = settings.stopBits;
        os::SetCommState(comm->handle, &comm->dcb);
    }
    if (portOpen()) os::SetupComm(comm->handle, driverQueueBytes, driverQueueBytes);
    if (portOpen()) os::PurgeComm(comm->handle, PURGE_RXABORT | PURGE_RXCLEAR);
    if (portOpen()) os::PurgeComm(comm->handle, PURGE_TXABORT | PURGE_TXCLEAR);
}

// A port that opened but failed a later step is closed again: the button says "open" and
// the next click must open, not close a half-opened port.
void MainDialog::failOpen() {
    stopTimedSend();
    if (portOpen()) comm->closePort();
    std::string status = text::portNotFound;
    if (comm->openError == ERROR_PRIVILEGE_NOT_HELD) status += text::noPermissionHint;  // Linux only
    host().setText(IDC_STATUS, status);
    host().messageBox(text::portNotFound);
    host().setText(IDC_OPEN, text::openButton);
}

void MainDialog::closePort(std::int64_t portNumber) {
    stopTimedSend();
    comm->closePort();
    enableLineSettings(true);
    host().setText(IDC_STATUS, withPortNumber(text::portClosed, portNumber));
    host().setText(IDC_OPEN, text::openButton);
    if (devicesChangedWhileOpen_) refreshPortList();
}

void MainDialog::enableLineSettings(bool on) {
    for (int id : lineSettingCombos) host().enable(id, on);
}
