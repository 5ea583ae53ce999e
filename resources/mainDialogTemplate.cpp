// The main window: its frame and its controls in template order, which is the tab order.
#include "resources/dialogs.h"
#include "resources/resourceIds.h"
#include "resources/texts.h"

using namespace dlg;

namespace {

constexpr const char* portEntries[] = {
        "COM1",  "COM2",  "COM3",  "COM4",  "COM5",  "COM6",  "COM7",  "COM8",  "COM9",
        "COM10", "COM11", "COM12", "COM13", "COM14", "COM15", "COM16", "COM17", "COM18",
        "COM19", "COM20", "COM21", "COM22", "COM23", "COM24", "COM25", "COM26", "COM27",
        "COM28", "COM29", "COM30", "COM31", "COM32", "COM33", "COM34", "COM35", "COM36"};
constexpr const char* baudEntries[] = {"1200",  "2400",  "4800",  "9600",   "14400", "19200",
                                                                              "38400", "56000", "57600", "115200", "230400"};
constexpr const char* parityEntries[] = {"NONE", "ODD", "EVEN"};
constexpr const char* dataBitsEntries[] = {"8", "7", "6"};
constexpr const char* stopBitsEntries[] = {"1", "2"};

constexpr std::uint32_t comboStyle = tabStop | vScroll;
constexpr std::uint32_t countStyle = tabStop | digitsOnly | readOnly | autoHScroll | sunken;

constexpr ControlTemplate mainControls[] = {
        {IDC_PORT, ControlKind::combo, nullptr, 364, 21, 69, 115, comboStyle, portEntries},
        {IDC_BAUD, ControlKind::combo, nullptr, 364, 39, 69, 110, comboStyle, baudEntries},
        {IDC_PARITY, ControlKind::combo, nullptr, 364, 57, 69, 77, comboStyle, parityEntries},
        {IDC_DATABITS, ControlKind::combo, nullptr, 364, 75, 69, 80, comboStyle, dataBitsEntries},
        {IDC_STOPBITS, ControlKind::combo, nullptr, 364, 93, 69, 61, comboStyle, stopBitsEntries},
        {noId, ControlKind::label, text::baudLabel, 335, 43, 25, 8, 0},
        {noId, ControlKind::label, text::parityLabel, 335, 59, 25, 8, 0},
        {noId, ControlKind::label, text::dataBitsLabel, 335, 78, 25, 8, 0},
        {noId, ControlKind::label, text::stopBitsLabel, 335, 96, 25, 8, 0},
        {noId, ControlKind::groupBox, text::serialGroup, 322, 10, 123, 134, 0},
        {IDC_OPEN, ControlKind::pushButton, text::openButton, 335, 113, 99, 20, tabStop},
        {IDC_PACKETSIZE, ControlKind::edit, nullptr, 371, 195, 34, 14,
          tabStop | digitsOnly | autoHScroll | sunken},
        {IDC_RXCOUNT, ControlKind::edit, nullptr, 371, 222, 62, 14, countStyle},
        {IDC_TXCOUNT, ControlKind::edit, nullptr, 371, 242, 62, 14, countStyle},
        {IDC_SEND, ControlKind::pushButton, text::sendButton, 331, 282, 102, 31, tabStop},
        {noId, ControlKind::groupBox, text::operationGroup, 322, 181, 123, 142, 0},
        {noId, ControlKind::label, text::packetSizeLabel, 329, 197, 41, 8, 0},
        {noId, ControlKind::label, text::rxCountLabel, 328, 226, 39, 8, 0},
        {noId, ControlKind::label, text::txCountLabel, 327, 246, 40, 8, 0},
        {IDC_RXTEXT, ControlKind::edit, nullptr, 7, 20, 309, 190,
          tabStop | multiLine | vScroll | sunken},
        {IDC_STATUS, ControlKind::statusText, nullptr, 35, 310, 281, 11, sunken},
        {noId, ControlKind::line, nullptr, 326, 216, 119, 1, 0},
        {IDC_RXCLEAR, ControlKind::pushButton, text::clearButton, 283, 214, 32, 14, tabStop},
        {IDC_SETPACKET, ControlKind::pushButton, text::setButton, 408, 193, 25, 14, tabStop},
        {noId, ControlKind::label, text::statusLabel, 6, 312, 25, 8, 0},
        {IDC_TXTEXT, ControlKind::edit, nullptr, 7, 248, 309, 40,
          tabStop | multiLine | vScroll | wantReturn | sunken},
        {noId, ControlKind::label, text::outputLabel, 7, 238, 25, 8, 0},
        {noId, ControlKind::label, text::receiveLabel, 7, 8, 25, 8, 0},
        {IDC_RESETCOUNT, ControlKind::pushButton, text::resetCountButton, 392, 259, 41, 14, tabStop},
        {IDC_PAUSE, ControlKind::checkBox, text::pauseCheck, 168, 216, 48, 10, tabStop | autoCheck},
        {IDC_TXCLEAR, ControlKind::pushButton, text::clearButton, 283, 291, 32, 14, tabStop},
        {noId, ControlKind::label, text::advice, 323, 149, 121, 27, 0},
        {IDC_RXHEX, ControlKind::checkBox, text::hexCheck, 224, 215, 48, 10, tabStop | autoCheck},
        {IDC_TXHEX, ControlKind::checkBox, text::hexCheck, 224, 293, 48, 10, tabStop | autoCheck},
        {IDC_TIMEDSEND, ControlKind::checkBox, text::timedSendCheck, 102, 292, 48, 10,
          tabStop | autoCheck},
        {IDC_PERIOD, ControlKind::edit, nullptr, 51, 291, 47, 14, tabStop | autoHScroll | sunken},
        {noId, ControlKind::label, text::periodLabel, 7, 292, 41, 8, 0},
        {IDC_FILL, ControlKind::pushButton, text::fillButton, 157, 291, 33, 14, tabStop},
        {IDC_AUTOCLEAR, ControlKind::checkBox, text::autoClearCheck, 106, 215, 48, 10,
          tabStop | autoCheck},
        {noId, ControlKind::label, text::portLabel, 335, 25, 25, 8, 0},
};

}  // namespace

// Fixed size, caption, system menu, minimize box, no maximize box; on the task bar.
extern const DialogTemplate mainDialogTemplate = {
        IDD_MAIN, text::mainCaption, text::dialogFont, 9, 454, 333,
        systemMenu | minimizeBox | appWindow, mainControls};
