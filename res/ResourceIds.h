// Resource ids of the program: dialog templates, string, icon and the control ids
// of every dialog. The control ids are also the wx window ids of the controls.
#pragma once

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_AGENT_CONSOLE = 102;
constexpr int IDD_LOGIN = 129;
constexpr int IDD_SERVER_ADDR = 140;

// String table and icon.
constexpr int IDS_ABOUTBOX = 101;  // "ZELAgent 정보(&A)..."
constexpr int IDR_MAINFRAME = 128; // the program's icon

// A control with no id of its own (labels, frames, the About icon). The builder
// gives such controls a generated wx id.
constexpr int IDC_STATIC = -1;

// Buttons shared by the small dialogs (sign-in, server address, About). They are
// plain window ids here, not wxID_OK / wxID_CANCEL.
constexpr int IDOK_BUTTON = 1;
constexpr int IDCANCEL_BUTTON = 2;

// Agent console (template 102).
constexpr int IDC_RADIO_RESULT1 = 7001; // response grades 1..7, one group, in id order
constexpr int IDC_RADIO_RESULT2 = 7002;
constexpr int IDC_RADIO_RESULT3 = 7003;
constexpr int IDC_RADIO_RESULT4 = 7004;
constexpr int IDC_RADIO_RESULT5 = 7005;
constexpr int IDC_RADIO_RESULT6 = 7006;
constexpr int IDC_RADIO_RESULT7 = 7007;
constexpr int IDC_BTN_LOGIN = 1005;
constexpr int IDC_BTN_READY = 1006;
constexpr int IDC_BTN_BREAK = 1007;
constexpr int IDC_BTN_LOGOUT = 1009;
constexpr int IDC_STATIC_TELNUM = 1016;
constexpr int IDC_STATIC_CUSTINFO1 = 1012;
constexpr int IDC_STATIC_CUSTINFO2 = 1013;
constexpr int IDC_STATIC_CUSTINFO3 = 1014;
constexpr int IDC_STATIC_CUSTINFO4 = 1018;
constexpr int IDC_EDIT_TELNUM = 1024;
constexpr int IDC_EDIT_CUSTINFO1 = 1036;
constexpr int IDC_EDIT_CUSTINFO2 = 1039;
constexpr int IDC_EDIT_CUSTINFO3 = 1041;
constexpr int IDC_EDIT_CUSTINFO4 = 1044;
constexpr int IDC_STATIC_MEMO = 1116;
constexpr int IDC_EDIT_MEMO = 1035;
constexpr int IDC_BTN_REGIST = 1001;
constexpr int IDC_STATIC_CALLTIME = 1160;
constexpr int IDC_STATIC_TODAY_COUNT = 1161;
constexpr int IDC_STATIC_TODAY_TIME = 1162;

// Sign-in (template 129). Buttons 1 (로그인) and 2 (취소) are IDOK_BUTTON and
// IDCANCEL_BUTTON.
constexpr int IDC_EDIT_PASSWORD = 1019;
constexpr int IDC_EDIT_USER_ID = 1025;
constexpr int IDC_EDIT_SVC_ID = 1017;
constexpr int IDC_EDIT_AGENT_NM = 1015;
constexpr int IDC_EDIT_EXTENSION = 1023;
constexpr int IDC_STATIC_AGENT_NM = 1020;
constexpr int IDC_STATIC_PASSWORD = 1022;
constexpr int IDC_STATIC_USER_ID = 1030;
constexpr int IDC_STATIC_EXTENSION = 1034;
constexpr int IDC_STATIC_SVC_ID = 1032;
constexpr int IDC_BTN_SETTING = 1003;

// Server address (template 140). Buttons 1 (설정) and 2 (취소).
constexpr int IDC_EDIT_SERVER_ADDR = 1028;

// About (template 100). Button 1 (확인).
