// Resource and control identifiers shared by the resource script and the program.
// Plain #defines only: this header is read by the resource compiler as well.
#pragma once

#define IDD_HANDSETBRIDGE_DIALOG 102
#define IDR_MAINFRAME 128
#define IDR_TRAY_MENU 130

#define IDC_DEVICE_COMBO 1002
#define IDC_RC_COUNT 1003
#define IDC_MODES_A 1004
#define IDC_TYPES_A 1005
#define IDC_MODES_B 1006
#define IDC_TYPES_B 1007
#define IDC_RADIO_RC5 1008
#define IDC_RADIO_RC6 1009
#define IDC_RADIO_RC5_SPARE 1010
#define IDC_RADIO_RC6_SPARE 1011
#define IDC_IR_ADDRESS 1012
#define IDC_IR_ADDRESS_SPARE 1013
#define IDC_IR_COMMAND 1014
#define IDC_KEY_COUNT 1015
#define IDC_STATUS 1016
#define IDC_START_STOP 1017
#define IDC_START_STOP_SPARE 1018
#define IDC_EVENT_COUNT 1019
#define IDC_EVENT_COUNT_SPARE 1020
#define IDC_TOGGLE_INFO 1021
#define IDC_KEYMAP_PATH 1022
#define IDC_LABEL_CAPTURE_FILTER 1023
#define IDC_LABEL_NUMBER_OF_RC 1024
#define IDC_INFO 1025
#define IDC_LABEL_TYPES 1026
#define IDC_LABEL_STATUS 1027
#define IDC_RESUME_COUNT 1028

#define ID_CLOSE_EXIT 32771
