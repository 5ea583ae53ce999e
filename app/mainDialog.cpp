#include "app/mainDialog.h"

#include "app/aboutDialog.h"
#include "discovery/comPorts.h"
#include "resources/dialogs.h"
#include "resources/resourceIds.h"
#include "resources/texts.h"
#include "serial/rxQueue.h"

using dlg::DialogEvent;
using dlg::EventKind;
using dlg::EventResult;

namespace {
constexpr int anyId = -1;
}

struct MainDialog::Route {
    EventKind kind;
    int id;  // anyId: every identifier of that kind
    EventResult (MainDialog::*handler)(const DialogEvent&);
};

// In the order the events are searched.
const MainDialog::Route MainDialog::routes[] = {
    {EventKind::systemCommand, anyId, &MainDialog::onSystemCommand},
    {EventKind::paint, anyId, &MainDialog::onPaint},
    {EventKind::queryDragIcon, anyId, &MainDialog::onQueryDragIcon},
    {EventKind::click, IDC_OPEN, &MainDialog::clicked<&MainDialog::onOpenClose>},
    {EventKind::click, IDC_SEND, &MainDialog::clicked<&MainDialog::onManualSend>},
    {EventKind::close, anyId, &MainDialog::onCloseRequest},
    {EventKind::click, IDC_RXCLEAR, &MainDialog::clicked<&MainDialog::onClearReceive>},
    {EventKind::click, IDC_SETPACKET, &MainDialog::clicked<&MainDialog::onSetPacketSize>},
    {EventKind::click, IDC_RESETCOUNT, &MainDialog::clicked<&MainDialog::onResetCounters>},
    {EventKind::click, IDC_PAUSE, &MainDialog::clicked<&MainDialog::onOptionToggle>},
    {EventKind::click, IDC_TXCLEAR, &MainDialog::clicked<&MainDialog::onClearOutput>},
    {EventKind::click, IDC_TIMEDSEND, &MainDialog::clicked<&MainDialog::onTimedSend>},
    {EventKind::click, IDC_RXHEX, &MainDialog::clicked<&MainDialog::onOptionToggle>},
    {EventKind::click, IDC_TXHEX, &MainDialog::clicked<&MainDialog::onOutputHexToggle>},
    {EventKind::click, IDC_AUTOCLEAR, &MainDialog::clicked<&MainDialog::onOptionToggle>},
    {EventKind::click, IDC_FILL, &MainDialog::clicked<&MainDialog::onFill>},
    {EventKind::timer, anyId, &MainDialog::onTimer},
    {EventKind::devicesChanged, anyId, &MainDialog::onDevicesChanged},
};

template <void (MainDialog::*action)()>
EventResult MainDialog::clicked(const DialogEvent&) {
    (this->*action)();
    return {};
}

MainDialog::MainDialog(dlg::DialogToolkit& toolkit)
    : Dialog(toolkit, mainDialogTemplate),
      rxCount(0),
      rxPacketSize(1),
      txCount(0),
      pauseDisplay(0),
      autoClear(0),
      sendPeriodMs(1000),
      rxHex(0),
      txHex(0),
      timedSend(0),
      icon(nullptr),
      rxDisplayBuffer(new std::uint8_t[displayChunkMax]) {
    init(&rxQueue, rxQueueStorage, rxQueueCapacity);
    icon = toolkit.loadIcon(IDI_APP);
}

// A window ended by Enter or Escape has had no close request; the writers finish as they go.
MainDialog::~MainDialog() { drainIntoCapture(); }

bool MainDialog::portOpen() const { return comm && comm->handle != INVALID_HANDLE_VALUE; }

bool MainDialog::doDataExchange(DataExchange& exchange) {
    return exchange.number(IDC_PACKETSIZE, rxPacketSize, 1, 1024) &&
           exchange.number(IDC_TXCOUNT, txCount) &&
           exchange.check(IDC_PAUSE, pauseDisplay) &&
           exchange.check(IDC_AUTOCLEAR, autoClear) &&
           exchange.number(IDC_PERIOD, sendPeriodMs, sendPeriodMinMs, sendPeriodMaxMs) &&
           exchange.check(IDC_RXHEX, rxHex) &&
           exchange.check(IDC_TXHEX, txHex) &&
           exchange.check(IDC_TIMEDSEND, timedSend);
}

bool MainDialog::onInitDialog(dlg::DialogHost& window) {
    Dialog::onInitDialog(window);

    if (window.hasSystemMenu()) {
        const std::string about = toolkit().loadString(IDS_ABOUT);
        window.appendMenuSeparator();
        if (!about.empty()) window.appendMenuItem(IDM_ABOUT, about);
        window.appendMenuItem(IDM_SAVE, text::saveMenuItem);
        window.appendMenuItem(IDM_TIMESTAMPS, text::timeStampsMenuItem);
        window.appendMenuItem(IDM_RECONNECT, text::reconnectMenuItem);
        window.setMenuItemChecked(IDM_RECONNECT, reconnect_);
    }
    window.setIcon(icon);

    window.comboSelect(IDC_BAUD, 3);  // 9600
    window.comboSelect(IDC_PARITY, 0);
    window.comboSelect(IDC_DATABITS, 0);
    window.comboSelect(IDC_STOPBITS, 0);

    rxPacketSize = 1;
    txCount = 0;
    window.setText(IDC_RXCOUNT, "0");
    updateData(false);

    fillPortList();
    window.watchDevices();

    comm = std::make_unique<xbeeCallbackComm>();
    comm->rxCallback = receiveCallback;

    window.setTimer(TIMER_DISPLAY, displayPeriodMs);
    return true;
}

// The ports the system lists, ports held by other programs included; the last one selected.
// When the system cannot list them, the window still opens, says why in the status line and
// lists none.
void MainDialog::fillPortList() {
    std::vector<std::string> entries;
    std::string failure;
    readPortList(entries, failure);
    host().comboReset(IDC_PORT);
    for (const std::string& entry : entries) host().comboAdd(IDC_PORT, entry);
    host().comboSelect(IDC_PORT, host().comboCount(IDC_PORT) - 1);
    if (!failure.empty()) host().setText(IDC_STATUS, failure);
}

bool MainDialog::readPortList(std::vector<std::string>& entries, std::string& failure) {
    ComPortList ports;
    try {
        listComPorts(ports, 0);
    } catch (const PortEnumError& error) {
        failure = std::string(text::portListFailed) + error.what();
        return false;
    }
    for (const ComPortRecord& port : ports) entries.push_back(portListEntry(port.friendlyName));
    return true;
}

EventResult MainDialog::onEvent(const DialogEvent& event) {
    for (const Route& route : routes)
        if (route.kind == event.kind && (route.id == anyId || route.id == event.id))
            return (this->*route.handler)(event);
    return Dialog::onEvent(event);
}

EventResult MainDialog::onSystemCommand(const DialogEvent& event) {
    switch (event.id & ~0xF) {
        case IDM_ABOUT: {
            AboutDialog about(toolkit());
            about.doModal(host());
            return {};
        }
        case IDM_SAVE: onSaveCommand(); return {};
        case IDM_TIMESTAMPS: onTimeStampsCommand(); return {};
        case IDM_RECONNECT: onReconnectCommand(); return {};
        default: return EventResult::defaultProcessing();
    }
}

EventResult MainDialog::onPaint(const DialogEvent&) {
    if (!host().isMinimized()) return EventResult::defaultProcessing();
    host().beginPaint();
    host().eraseIconBackground();
    const IconPosition at = minimizedIconPosition(host().clientSize(), host().systemIconSize());
    host().drawIcon(at.x, at.y, icon);
    host().endPaint();
    return {};
}

EventResult MainDialog::onQueryDragIcon(const DialogEvent&) { return {true, icon}; }

// Stops what runs, in this order: the timed send, the waiting for a lost port, the port (and
// with it the monitor thread), the display timer; then the default processing ends the dialog.
EventResult MainDialog::onCloseRequest(const DialogEvent&) {
    stopTimedSend();
    stopWaitingForPort();
    if (portOpen()) comm->closePort();
    host().killTimer(TIMER_DISPLAY);
    drainIntoCapture();
    if (capture_) stopCapture();
    return EventResult::defaultProcessing();
}

EventResult MainDialog::onTimer(const DialogEvent& event) {
    if (event.id == TIMER_SEND)
        onSendTimer();
    else if (event.id == TIMER_RECONNECT)
        tryReconnect();
    else
        displayStep();
    return {};
}

std::string portListEntry(std::string_view friendlyName) {
    const std::size_t open = friendlyName.find('(');
    if (open == std::string_view::npos) return std::string(friendlyName);
    const std::size_t end = friendlyName.size() - 1;
    if (open + 1 >= end) return {};
    return std::string(friendlyName.substr(open + 1, end - (open + 1)));
}

IconPosition minimizedIconPosition(dlg::Size client, dlg::Size icon) {
    return {(client.width - icon.width + 1) / 2, (client.height - icon.height + 1) / 2};
}
