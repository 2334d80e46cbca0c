// Resource ids of the program's interface, shared by the built-in Chinese resources and the
// English resource library.
#pragma once

#define IDM_ABOUTBOX 0x0010
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_RVXTOOL_DIALOG 102
#define IDD_FIELD_LOG 103
#define IDR_MAINFRAME 128
#define IDI_ABOUT 129

#define IDC_POINT_NAME 1000
#define IDC_IMPORT 1001
#define IDC_SAVE 1002
#define IDC_ANT_HEIGHT 1003
#define IDC_VIEW 1004
#define IDC_PATH 1005
#define IDC_CHINESE 1006
#define IDC_ENGLISH 1007

// The field-log window's controls.
#define IDC_LOG_LIST 1010
#define IDC_LOG_STATUS 1011
#define IDC_LOG_PROGRESS 1012
#define IDC_LOG_SAVE_ALL 1013
#define IDC_LOG_DETAIL 1014
#define IDC_LOG_ENCODING_LABEL 1015
#define IDC_LOG_ENCODING 1016
#define IDC_LOG_ENCODING_READ 1017

// The path field's context-menu command.
#define IDM_COPY_PATH 32769

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
