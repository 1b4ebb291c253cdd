// Resource identifiers of VarnokScan.exe.
#pragma once

// Shared dialog buttons (IDC_OK_BUTTON 101, IDC_CANCEL_BUTTON 102, IDC_HELP_BUTTON 1998)
#include "../../common/ui/dialog_ids.h"

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
// Below the list: whether the selected folder is protected.
#define IDC_FOLDER_PROTECTED 266

// Main window and menu "LISTBOXMENU"
#define IDI_MAIN 109
#define IDM_RUN 147
#define IDM_VIEW_RESULTS 148
#define IDM_CLEAR_RESULTS 149
#define IDM_EXIT 103
#define IDM_FOLDERS 150
#define IDM_MASKS 151
#define IDM_SHORTCUTS 229
#define IDM_OPTIONS 152
#define IDM_FEEDBACK 156
#define IDM_UPDATE 158
#define IDM_HELP_INDEX 159
#define IDM_HELP_CONTEXT 1998
#define IDM_HELP_SEARCH 160
#define IDM_HELP_PREVIOUS 161
#define IDM_HELP_USING 162
#define IDM_TIPS 235
#define IDM_ABOUT 163

// Results window
#define IDD_RESULTS 138
#define IDC_RESULTS_TREE 196
#define IDC_RULE_LIST 197
#define IDC_RUN_RULE 198
#define IDC_MARK 199
#define IDC_UNMARK 200
#define IDC_FILE_INFO 201
#define IDC_DELETE_MARKED 101
#define IDC_TOOLBAR 1000
#define IDC_STATUS_BAR 800
#define IDB_FILE 105
#define IDB_MARKED 106
#define IDB_UNUSED 107
#define IDB_GROUP 108
#define IDB_RESULTS_TOOLBAR 208
#define IDS_RULE_FIRST 500
#define IDS_TIP_RUN_RULE 50
#define IDS_TIP_MARK 51
#define IDS_TIP_UNMARK 52
#define IDS_TIP_DELETE_MARKED 53
#define IDS_TIP_RESULTS_HELP 54
#define IDS_TIP_FILE_INFO 55
// Later commands, after the window's first toolbar entries, with images of their own.
#define IDC_OPEN_FOLDER 262
#define IDC_SAVE_LIST 263
#define IDC_LINK_MARKED 264
#define IDB_RESULTS_TOOLBAR_MORE 265
#define IDB_PROTECTED 267  // image 4 of the tree: a file in a protected folder
#define IDS_TIP_OPEN_FOLDER 56
#define IDS_TIP_SAVE_LIST 57
#define IDS_TIP_LINK_MARKED 58
#define IDR_UNDO_SCRIPT 104   // the undo batch file's script, of type RT_UNDO_SCRIPT
#define RT_UNDO_SCRIPT 1002

// File information window
#define IDD_FILE_INFO 133
#define IDC_INFO_NAME 112
#define IDC_INFO_LOCATION 113
#define IDC_INFO_CREATED 114
#define IDC_INFO_WRITTEN 115
#define IDC_INFO_ACCESSED 116
#define IDC_INFO_ARCHIVE 117
#define IDC_INFO_COMPRESSED 118
#define IDC_INFO_HIDDEN 119
#define IDC_INFO_READONLY 120
#define IDC_INFO_SYSTEM 121
#define IDC_INFO_TEMPORARY 122
#define IDC_INFO_SIZE 123
#define IDC_INFO_OPEN 124

// Keyboard shortcuts
#define IDD_SHORTCUTS 209
#define IDC_SHORTCUT_LIST 211
#define IDC_SHORTCUT_EDIT 213
#define IDC_SHORTCUT_CLEAR 214
#define IDB_SHORTCUTS_TOOLBAR 230
#define IDD_EDIT_SHORTCUT 223
#define IDC_KEY_CTRL 224
#define IDC_KEY_ALT 225
#define IDC_KEY_SHIFT 226
#define IDC_KEY_LIST 227
#define IDC_ACTION_NAME 228
#define IDS_TIP_SHORTCUT_EDIT 60
#define IDS_TIP_SHORTCUT_CLEAR 61
#define IDS_TIP_SHORTCUT_APPLY 62
#define IDS_TIP_SHORTCUT_CANCEL 63
#define IDS_TIP_SHORTCUT_HELP 64
#define IDS_ACTION_FIRST 600

// Masks dialog "LISTBOX" and the input dialog
#define IDC_MASK_INCLUDE_COMBO 140
#define IDC_MASK_EXCLUDE_COMBO 141
#define IDC_MASK_INCLUDE_LIST 142
#define IDC_MASK_EXCLUDE_LIST 143
#define IDC_ADD_MASK 144
#define IDC_EDIT_MASK 145
#define IDC_DELETE_MASK 146
#define IDC_MASK_INCLUDE_GROUP 203
#define IDC_MASK_EXCLUDE_GROUP 204
#define IDS_MASK_GROUP_FIRST 1    // "Archives" ...
#define IDS_MASK_TEXT_FIRST 21    // the masks of each group
#define IDD_INPUT 137
#define IDC_INPUT_EDIT 164
#define IDC_INPUT_PROMPT 165

// Tips and tricks
#define IDD_TIPS 231
#define IDC_TIP_NEXT 232
#define IDC_TIP_PREVIOUS 233
#define IDC_TIP_TEXT 234
#define IDC_TIP_AT_START 236

// Other options dialog
#define IDD_OPTIONS 134
#define IDC_OPT_KEEP_LAST 172
#define IDC_OPT_UNDO 173
#define IDC_OPT_ADVANCED_PLACE 174
#define IDC_OPT_STANDARD_PLACE 175
#define IDC_OPT_STANDARD_TEXT 176
#define IDC_OPT_ADVANCED 177
#define IDC_OPT_ADVANCED_TEXT 178
#define IDC_OPT_ADVANCED_LABEL 179
#define IDC_OPT_SIMPLE_UNDO 180
#define IDC_OPT_ENHANCED_UNDO 181
#define IDC_OPT_WARN_INTERNET 182
#define IDC_OPT_UNIX 183
// Beyond the first release's options, in a column of their own at the right.
#define IDC_OPT_SKIP_EMPTY 260
#define IDC_OPT_SKIP_SMALLER 261
#define IDC_OPT_RECYCLE 268
#define IDC_OPT_REMEMBER 269
#define IDC_OPT_FORGET 270

// The progress of a long deletion (its Stop! button is 102)
#define IDD_DELETING 245
#define IDC_DELETING_TEXT 246
#define IDC_DELETING_BAR 247

// About box
#define IDD_ABOUT 135
#define IDB_ABOUT 110
#define IDC_ABOUT_PICTURE 111
#define IDC_ABOUT_VERSION 126
#define IDC_ABOUT_RELEASED 127
#define IDC_ABOUT_UPDATES 128

// Feedback form (its send and cancel buttons are IDOK and IDCANCEL)
#define IDD_FEEDBACK 101
#define IDC_FEEDBACK_MAIL 1011
#define IDC_FEEDBACK_MESSAGE 1012
#define IDC_FEEDBACK_MESSAGE_GROUP 1013
#define IDC_FEEDBACK_NAME 1014

// Context help identifiers
#define IDH_PROGRESS 1240
#define IDH_FOLDERS 1241
#define IDH_RESULTS 1242
#define IDH_SHORTCUTS 126
#define IDH_EDIT_SHORTCUT 127
#define IDH_OPTIONS 1243
#define IDH_MASKS 1239
#define IDH_EDIT_MASK 1235
#define IDH_ABOUT 1245
#define IDH_FEEDBACK 101
// File information had none; the free id between Other options and About.
#define IDH_FILE_INFO 1244
// The results window's later commands, each with a topic of its own.
#define IDH_OPEN_FOLDER 1246
#define IDH_SAVE_LIST 1247
#define IDH_LINK_MARKED 1248
// Settings added since, each mapped to the topic of its window.
#define IDH_PROTECTED 1249
#define IDH_SIZE_FLOOR 1250
#define IDH_RECYCLE_BIN 1251
#define IDH_REMEMBER 1252
