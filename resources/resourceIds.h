#pragma once
// Identifiers of the dialogs, controls, icon, string and menu item.

// Dialogs
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_MAIN = 102;

// Icon and string
inline constexpr int IDI_APP = 128;
inline constexpr int IDS_ABOUT = 101;

// System menu items (the system keeps the low four bits)
inline constexpr int IDM_ABOUT = 16;
inline constexpr int IDM_SAVE = 32;        // 保存接收数据 / 停止保存
inline constexpr int IDM_TIMESTAMPS = 48;  // 保存时加时间戳, a switch
inline constexpr int IDM_RECONNECT = 64;   // 断开后自动重连, a switch, on at start

// Controls of the main dialog
inline constexpr int IDC_PORT = 1000;
inline constexpr int IDC_BAUD = 1001;
inline constexpr int IDC_PARITY = 1002;
inline constexpr int IDC_DATABITS = 1003;
inline constexpr int IDC_STOPBITS = 1004;
inline constexpr int IDC_OPEN = 1005;
inline constexpr int IDC_PACKETSIZE = 1007;
inline constexpr int IDC_PERIOD = 1008;
inline constexpr int IDC_RXCOUNT = 1010;
inline constexpr int IDC_TXCOUNT = 1011;
inline constexpr int IDC_SEND = 1013;
inline constexpr int IDC_RXTEXT = 1014;
inline constexpr int IDC_PAUSE = 1015;
inline constexpr int IDC_RXHEX = 1016;
inline constexpr int IDC_STATUS = 1017;
inline constexpr int IDC_RXCLEAR = 1018;
inline constexpr int IDC_SETPACKET = 1019;
inline constexpr int IDC_TXTEXT = 1020;
inline constexpr int IDC_RESETCOUNT = 1021;
inline constexpr int IDC_TXCLEAR = 1022;
inline constexpr int IDC_TXHEX = 1023;
inline constexpr int IDC_TIMEDSEND = 1024;
inline constexpr int IDC_FILL = 1025;
inline constexpr int IDC_AUTOCLEAR = 1026;

// The About box's OK button
inline constexpr int IDC_ABOUT_OK = 1;
