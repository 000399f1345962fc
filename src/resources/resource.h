// Resource ids of the console. Shared by lumeric.rc and the C++ code, so
// only preprocessor definitions belong here.
#pragma once

#define IDR_MAINFRAME 128  // program icon group

#define IDD_CONSOLE 103
#define IDD_PASSWORD 133

// Initial items of the console's combo boxes (string table, one item per line).
#define IDS_ITEMS_COM_PORTS 2001
#define IDS_ITEMS_BAUD_RATES 2002
#define IDS_ITEMS_CAL_CHANNELS 2003

#define IDC_COMBO_PORT 1001
#define IDC_COMBO_BAUD 1003
#define IDC_BTN_OPEN 1005
#define IDC_BTN_READ_VOLTAGE 1008
#define IDC_LIST_LOG 1010
#define IDC_BTN_SET_BAUD 1012
#define IDC_BTN_FACTORY_MODE 1014
#define IDC_BTN_SET_ADDRESS 1017
#define IDC_EDIT_ADDRESS 1019
#define IDC_EDIT_PASSWORD 1019  // in IDD_PASSWORD: the same number as the console's address field
#define IDC_BTN_CONTINUOUS 1025
#define IDC_EDIT_POLL_INTERVAL 1027
#define IDC_STATIC_VOLTAGE 1029
#define IDC_COMBO_CAL_CHANNEL 1039
#define IDC_EDIT_SAMPLE_INTERVAL 1042
#define IDC_BTN_RESET 1044
#define IDC_EDIT_NEW_ADDRESS 1047
#define IDC_COMBO_DEVICE_BAUD 1053
#define IDC_BTN_SET_SAMPLE_INTERVAL 1057
#define IDC_BTN_MULTI 1062
#define IDC_STATIC_DEVICE_NAME 1071
#define IDC_STATIC_SW_VERSION 1072
#define IDC_STATIC_VENDOR 1073
#define IDC_STATIC_PROTOCOL_VERSION 1074
#define IDC_BTN_READ_INFO 1076
#define IDC_BTN_CAL_3V_0V5 1078
#define IDC_BTN_CAL_200V_20V 1079
#define IDC_BTN_CAL_20V_3V 1080
#define IDC_BTN_CAL_600V_200V 1081
#define IDC_BTN_CAL_3V_3V 1082
#define IDC_BTN_CAL_200V_200V 1083
#define IDC_BTN_CLEAR_LOG 1084
#define IDC_STATIC_OK_COUNT 1085
#define IDC_STATIC_FAIL_COUNT 1086
#define IDC_BTN_CAL_20V_20V 1087
#define IDC_BTN_CAL_600V_600V 1088

// The multi-unit window.
#define IDD_MULTI_UNIT 135

#define IDC_COMBO_MU_PORT 1000
#define IDC_COMBO_MU_BAUD 1002
#define IDC_EDIT_FIRST_ADDRESS 1004
#define IDC_EDIT_DEVICE_COUNT 1006
#define IDC_BTN_ACQUIRE 1009
#define IDC_LIST_BAT1 1010
#define IDC_LIST_BAT2 1015
#define IDC_LIST_BAT3 1018
#define IDC_LIST_BAT4 1020
#define IDC_BTN_EXCEL 1023
#define IDC_LIST_COUNTS 1026
#define IDC_CHECK_SAVE_RECORD 1028
#define IDC_EDIT_PERIOD 1030

// The multi-unit window's alarms: its two buttons, the settings dialog, the journal window.
#define IDD_ALARM_SETTINGS 140
#define IDD_ALARM_JOURNAL 141

#define IDC_BTN_ALARM_SETTINGS 1100
#define IDC_BTN_ALARM_JOURNAL 1101
// 电池1 to 电池4 in a row, low limits then high.
#define IDC_EDIT_ALARM_LOW1 1102
#define IDC_EDIT_ALARM_LOW2 1103
#define IDC_EDIT_ALARM_LOW3 1104
#define IDC_EDIT_ALARM_LOW4 1105
#define IDC_EDIT_ALARM_HIGH1 1106
#define IDC_EDIT_ALARM_HIGH2 1107
#define IDC_EDIT_ALARM_HIGH3 1108
#define IDC_EDIT_ALARM_HIGH4 1109
#define IDC_EDIT_ALARM_SPREAD 1110
#define IDC_EDIT_ALARM_HYSTERESIS 1111
#define IDC_EDIT_ALARM_ON_DELAY 1112
#define IDC_LIST_ALARM_JOURNAL 1113
#define IDC_BTN_ALARM_ACK 1114
#define IDC_BTN_ALARM_EXPORT 1115

// Opens the trend window, in the strip between the entries and the table.
#define IDC_BTN_TREND 1150

// The trend window: the plot, the series list that is its legend, the
// readout of the newest values or the markers, and its three buttons.
#define IDD_TREND 145
#define IDC_TREND_PLOT 1151
#define IDC_TREND_SERIES 1152
#define IDC_TREND_READOUT 1153
#define IDC_TREND_OPEN 1154
#define IDC_TREND_SAVE_IMAGE 1155
#define IDC_TREND_LIVE 1156
