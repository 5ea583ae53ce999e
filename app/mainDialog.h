#pragma once
// The main window: every control of the program, the state the user actions share (the byte
// counters, the options, the one serial port object) and the event table that routes each
// event to its action.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/captureStream.h"
#include "app/captureWriter.h"
#include "app/dialog.h"
#include "app/lineSettings.h"
#include "app/receiveText.h"
#include "serial/xbeeComm.h"

// Timers of the main window.
inline constexpr int TIMER_SEND = 1;     // every sendPeriodMs while timedSend is set
inline constexpr int TIMER_DISPLAY = 2;  // every displayPeriodMs from initialisation to close
inline constexpr int TIMER_RECONNECT = 3;  // every reconnectPeriodMs while a lost port is waited for
inline constexpr unsigned displayPeriodMs = 50;
inline constexpr unsigned reconnectPeriodMs = 1000;
// A display tick takes at most this many received bytes; the rest waits for the next tick.
// At 1.2 MB/s a tick finds about 60 KB; after a stall it takes up to twice that, so the queue
// empties again in about as long as the stall lasted.
inline constexpr std::uint32_t displayChunkMax = 1u << 17;
// The send period the period box takes, in milliseconds.
inline constexpr std::int32_t sendPeriodMinMs = 1;
inline constexpr std::int32_t sendPeriodMaxMs = 3600000;
// With auto-clear on, a receive box longer than this is emptied before the next append.
inline constexpr std::size_t autoClearLength = 4096;

class MainDialog : public Dialog {
public:
    explicit MainDialog(dlg::DialogToolkit& toolkit);
    ~MainDialog() override;

    // Fields, in this order. The control attachments are looked up by identifier.
    std::int32_t rxCount;                    // bytes taken from the receive queue so far
    std::unique_ptr<xbeeCallbackComm> comm;  // created at initialisation, never replaced
    std::int32_t rxPacketSize;               // IDC_PACKETSIZE, 1 to 1024
    std::int32_t txCount;                    // IDC_TXCOUNT
    std::int32_t pauseDisplay;               // IDC_PAUSE
    std::int32_t autoClear;                  // IDC_AUTOCLEAR
    std::int32_t sendPeriodMs;               // IDC_PERIOD, 1 to 3600000
    std::int32_t rxHex;                      // IDC_RXHEX
    std::int32_t txHex;                      // IDC_TXHEX
    std::int32_t timedSend;                  // IDC_TIMEDSEND
    dlg::IconHandle icon;                    // IDI_APP

    // Fill presses since the program started: which test command comes next.
    static inline std::int32_t fillIndex = 0;

    bool onInitDialog(dlg::DialogHost& host) override;
    dlg::EventResult onEvent(const dlg::DialogEvent& event) override;

    // The port is open exactly while the serial object holds a handle.
    bool portOpen() const;

protected:
    bool doDataExchange(DataExchange& exchange) override;

private:
    struct Route;
    static const Route routes[];

    template <void (MainDialog::*action)()>
    dlg::EventResult clicked(const dlg::DialogEvent&);

    void fillPortList();
    // The port list's entries as the system lists them now; false, with why, when it cannot.
    static bool readPortList(std::vector<std::string>& entries, std::string& failure);

    // Window events
    dlg::EventResult onSystemCommand(const dlg::DialogEvent& event);
    dlg::EventResult onPaint(const dlg::DialogEvent& event);
    dlg::EventResult onQueryDragIcon(const dlg::DialogEvent& event);
    dlg::EventResult onCloseRequest(const dlg::DialogEvent& event);
    dlg::EventResult onTimer(const dlg::DialogEvent& event);
    dlg::EventResult onDevicesChanged(const dlg::DialogEvent& event);

    // Opening and closing the port (portActions.cpp)
    void onOpenClose();
    // The open branch's steps; the status line then reads statusPattern with the port number.
    bool openWith(const LineSettings& settings, const char* statusPattern);
    bool openAndProbe(const LineSettings& settings);
    void writeLineSettings(const LineSettings& settings);
    void failOpen();
    void closePort(std::int64_t portNumber);
    void enableLineSettings(bool on);
    // A port whose device goes, and its return (connectionActions.cpp)
    struct SerialGroupChoice {  // what the serial group's combos showed
        std::string portEntry;
        int selections[4];  // baud, parity, data bits, stop bits
    };
    SerialGroupChoice serialGroupChoice();
    void showSerialGroupChoice(const SerialGroupChoice& choice);
    void noticeLostPort();
    void showPortLost();
    void onReconnectCommand();
    void startWaitingForPort();
    void stopWaitingForPort();
    void tryReconnect();
    void refreshPortList();
    void endCaptureOfClosedPort();
    // Timed sending (transmitActions.cpp): the send timer runs exactly while the switch is on
    // and the port is open.
    void startSendTimer();
    void switchTimedSendOff();  // whatever runs: the timer stopped, the switch off, 周期 enabled
    void stopTimedSend();       // the same, if the timer runs

    // Transmit (transmitActions.cpp)
    void onManualSend();
    void onSendTimer();
    void sendOutput();
    void writeToPort(const std::uint8_t* bytes, std::uint32_t count);
    void onClearOutput();
    void onTimedSend();
    void onOutputHexToggle();
    void onFill();

    // Receive display and counters (receiveActions.cpp)
    void displayStep();
    void takeReceived();  // what a tick takes, counts, saves and shows
    void reportDropped();
    void showReceived(const std::string& chunkText);
    void onClearReceive();
    void onSetPacketSize();
    void onResetCounters();
    void onOptionToggle();

    // Capture to a file (captureActions.cpp)
    void onSaveCommand();
    void onTimeStampsCommand();
    void startCapture();
    void stopCapture();
    void captureStep(const std::uint8_t* bytes, std::uint32_t count);
    void captureTaken(const std::uint8_t* bytes, std::uint32_t count);  // into the file
    void drainIntoCapture();
    void reportCaptureFailures();

    std::unique_ptr<std::uint8_t[]> rxDisplayBuffer;  // displayChunkMax bytes
    ReceiveText receiveText_;
    // The receive queue's drop count when the port was last opened, and when last reported.
    std::uint32_t droppedAtOpen_ = 0;
    std::uint32_t droppedSeen_ = 0;
    // The capture in progress, and those finishing: each is reported if it fails, then let go.
    struct ClosingCapture {
        std::unique_ptr<CaptureWriter> writer;
        std::string file;
    };
    // Writers finish writing as they are destroyed.
    std::unique_ptr<CaptureWriter> capture_;
    std::string captureFile_;  // its file, as CP936 text for messages
    std::vector<ClosingCapture> closingCaptures_;
    CaptureStream captureStream_;
    bool captureTimeStamps_ = false;
    // What the open port was opened with, and the port lost since the last open, if any.
    LineSettings openedWith_;
    SerialGroupChoice openedChoice_{};
    std::optional<LineSettings> lostPort_;
    SerialGroupChoice lostChoice_{};
    bool reconnect_ = true;         // the switch 断开后自动重连
    bool waitingForPort_ = false;   // TIMER_RECONNECT runs
    bool devicesChangedWhileOpen_ = false;  // the list is read again once the port closes
    // Whether TIMER_SEND runs. The exchange's timedSend cannot tell: an exchange that stops at a
    // rejected box leaves it stale.
    bool sendTimerRunning_ = false;
    // The hex-length message of a send is up: timed-send ticks that come meanwhile are skipped.
    bool sendMessageOpen_ = false;
};

// The entry a port gets in the port list: the text after the first "(" up to, but not
// including, the name's last character ("USB Serial Port (COM3)" -> "COM3"); a name without
// "(" is listed whole.
std::string portListEntry(std::string_view friendlyName);

// Where the icon of a minimized window is drawn: centred, rounding as signed integers do.
struct IconPosition {
    int x;
    int y;
    bool operator==(const IconPosition&) const = default;
};
IconPosition minimizedIconPosition(dlg::Size client, dlg::Size icon);

// A status text with the port number put in for its %d.
std::string withPortNumber(const char* pattern, std::int64_t portNumber);
