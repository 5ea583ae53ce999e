#pragma once
// The program's fixed texts as CP936 bytes (texts.cpp is compiled with CP936 as its
// execution character set, so its UTF-8 source stays readable).

namespace text {

// Main dialog
extern const char mainCaption[];
extern const char portLabel[];
extern const char baudLabel[];
extern const char parityLabel[];
extern const char dataBitsLabel[];
extern const char stopBitsLabel[];
extern const char serialGroup[];
extern const char openButton[];
extern const char closeButton[];
extern const char operationGroup[];
extern const char packetSizeLabel[];
extern const char rxCountLabel[];
extern const char txCountLabel[];
extern const char sendButton[];
extern const char statusLabel[];
extern const char clearButton[];
extern const char setButton[];
extern const char outputLabel[];
extern const char receiveLabel[];
extern const char resetCountButton[];
extern const char pauseCheck[];
extern const char advice[];
extern const char hexCheck[];
extern const char timedSendCheck[];
extern const char periodLabel[];
extern const char fillButton[];
extern const char autoClearCheck[];

// About box
extern const char aboutCaption[];
extern const char aboutVersion[];
extern const char aboutLine[];
extern const char aboutCredit[];
extern const char okButton[];

// String resource IDS_ABOUT: the system menu's About item
extern const char aboutMenuItem[];

// The system menu's capture items
extern const char saveMenuItem[];
extern const char stopSavingMenuItem[];  // the save item while saving
extern const char timeStampsMenuItem[];
// The system menu's switch for reopening a lost port
extern const char reconnectMenuItem[];

// Data exchange
extern const char enterInteger[];
extern const char enterIntegerInRange[];  // %1 and %2: the bounds

// Status line and message boxes
extern const char portListFailed[];  // followed by the system's reason
extern const char portOpened[];      // %d: the port number
extern const char portClosed[];      // %d: the port number
extern const char portNotFound[];
extern const char noPermissionHint[];  // after portNotFound when the user may not open the device (Linux)
extern const char portNotOpen[];
extern const char portNotOpened[];
extern const char hexLengthInvalid[];
extern const char packetSizeSet[];
extern const char receiveOverflow[];  // %u: bytes dropped since the port was opened
// A port whose device went away (%d: the port number)
extern const char portLost[];
extern const char portLostWaiting[];  // while it is reopened once the device is back
extern const char portReconnected[];

// A capture that cannot go on: %s the reason, then %s the file
extern const char saveFailed[];
extern const char saveFolderMissing[];
extern const char saveDenied[];
extern const char saveDiskFull[];
extern const char saveDeviceGone[];
extern const char saveSystemError[];  // %lld: the system's error number

// The test commands the fill button puts into the output box, in turn
inline constexpr int testCommandCount = 4;
extern const char* const testCommands[testCommandCount];

// The dialogs' font
extern const char dialogFont[];

}  // namespace text
