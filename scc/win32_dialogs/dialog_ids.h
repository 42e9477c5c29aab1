// Template and control ids of the provider's dialogs, shared by the resource script and the
// code. Plain macros, because the resource compiler reads them too.
#pragma once

#define IDD_LOGIN 1000
#define IDD_SET_PROJECT 1001
#define IDD_PROGRESS 1002
#define IDD_SELECT_PROJECT 1004
#define IDD_HISTORY 1005
#define IDD_OPTIONS 1006
#define IDD_PROPERTIES 1007

// CLogin
#define IDC_ORGANIZATION 1000
#define IDC_USERNAME 1002
#define IDC_PASSWORD 1003

// CSelectProject and CSetProject
#define IDC_PROJECT_LIST 1002
#define IDC_PROJECT_NAME 1003
#define IDC_PROJECT_DESCRIPTION 1004

// CProgressTracker
#define IDC_PROGRESS_ACTION 1004
#define IDC_PROGRESS_FILE 1005

// CHistoryDlg
#define IDC_VERSIONS 1006
#define IDC_GET_VERSION 1007

// CCommandOptions
#define IDC_COMMAND_LINE 1008
#define IDC_BROWSE 1009

// CSCCPropertiesDlg
#define IDC_FILE_NAME 1010
#define IDC_VERSION 1011
#define IDC_STATUS 1012
#define IDC_CREATION_DATE 1014
#define IDC_DESCRIPTION 1015
#define IDC_CREATED_BY 1020

#define IDC_UNNAMED -1
