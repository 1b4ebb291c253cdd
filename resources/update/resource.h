// Resource identifiers of update.dll.
#pragma once

// The offer dialog
#define IDD_OFFER 101
#define IDC_OFFER_HISTORY 1000
#define IDC_OFFER_TIME 1003
#define IDC_OFFER_SPEED 1004
#define IDC_OFFER_INSTALLED 1005
#define IDC_OFFER_AVAILABLE 1006
#define IDC_OFFER_SIZE 1007

// The two progress windows: the package's and the update list's
#define IDD_PACKAGE_PROGRESS 103
#define IDD_LIST_PROGRESS 104
#define IDC_PROGRESS_BAR 1000
#define IDC_PROGRESS_HOST 1001
#define IDC_PROGRESS_BYTES 1002
#define IDC_PROGRESS_SPEED 1003
// Commands the transfer sends its window: a number, the address of a text.
#define IDC_PROGRESS_NUMBER 654
#define IDC_PROGRESS_TEXT 655

// "Help" on the library's dialogs
#define IDC_UPDATE_HELP 9

// Context help identifiers
#define IDH_OFFER 124
#define IDH_UPDATE_PROGRESS 125
