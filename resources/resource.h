// Resource identifiers of VarnokScan.exe.
#pragma once

// Shared dialog buttons
#define IDC_OK_BUTTON 101
#define IDC_CANCEL_BUTTON 102
#define IDC_HELP_BUTTON 1998

// Progress window "PROCESSDLG"
#define IDC_PROGRESS_PLACEHOLDER 184
#define IDC_STAT_FOLDERS 185
#define IDC_STAT_FILES 186
#define IDC_STAT_CHECKED 187
#define IDC_STAT_DUPLICATES 188
#define IDC_STAT_FREEABLE 189
#define IDC_TIME_STARTED 190
#define IDC_TIME_TOTAL 191
#define IDC_TIME_ELAPSED 192
#define IDC_TIME_REMAINING 193
#define IDC_TIME_FINISH 194
#define IDC_STOP_SEARCH 195
#define IDM_PROGRESS_SNAPSHOT 151  // command carrying a snapshot's address

// Folders dialog
#define IDD_FOLDERS 139
#define IDC_ADD_TREE 166
#define IDC_ADD_FOLDER 167
#define IDC_EDIT_FOLDER 168
#define IDC_REMOVE_TREE 169
#define IDC_REMOVE_FOLDER 170
#define IDC_FOLDER_LIST 171

// Context help identifiers
#define IDH_PROGRESS 1240
#define IDH_FOLDERS 1241
