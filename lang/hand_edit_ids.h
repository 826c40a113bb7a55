/* Ids of the hand-edit dialog (the user rule file's entries) and of the
   add-entry dialog that adds one entry to that file. */
#ifndef VTPS_LANG_HAND_EDIT_IDS_H
#define VTPS_LANG_HAND_EDIT_IDS_H

/* Hand-edit dialog */
#define IDD_HAND_EDIT                   293
#define IDC_HAND_EDIT_ADD               1041
#define IDC_HAND_EDIT_DELETE            1042
#define IDC_HAND_EDIT_LIST              1043
#define IDC_HAND_EDIT_CONFIRM           1072

/* Column headers of the hand-edit list */
#define IDS_HAND_EDIT_COLUMN_KEY_PATH   151
#define IDS_HAND_EDIT_COLUMN_VALUE      152
#define IDS_HAND_EDIT_COLUMN_NAME       153
#define IDS_HAND_EDIT_COLUMN_SECTION    154

/* Add-entry dialog */
#define IDD_ADD_ENTRY                   162
#define IDC_ADD_ENTRY_PRESET_MODE       1000
#define IDC_ADD_ENTRY_PRESET_LIST       1002
#define IDC_ADD_ENTRY_VALUE             1005
#define IDC_ADD_ENTRY_SECTION           1006
#define IDC_ADD_ENTRY_NAME              1007
#define IDC_ADD_ENTRY_CONFIRM           1037
#define IDC_ADD_ENTRY_CUSTOM_PATH       1044
#define IDC_ADD_ENTRY_SUB_KEY           1045
#define IDC_ADD_ENTRY_CUSTOM_MODE       1046

/* Messages of the add-entry dialog (its caption and the invalid-path
   message are shared with the expert editor) */
#define IDS_ADD_ENTRY_SECTION_EMPTY     155
#define IDS_ADD_ENTRY_SUB_KEY_EMPTY     156
#define IDS_ADD_ENTRY_PATH_EMPTY        194
#define IDS_ADD_ENTRY_TOO_LONG          196
#define IDS_ADD_ENTRY_NO_PRESET         197
#define IDS_ADD_ENTRY_CANNOT_WRITE      198
/* Texts that would break the rule file's lines */
#define IDS_ADD_ENTRY_SECTION_BAD       199
#define IDS_ADD_ENTRY_KEY_BAD           200
#define IDS_ADD_ENTRY_LINE_BREAK        201

/* Presets: the name of preset k is 2000 + 2k, its base key path 2001 + 2k */
#define IDS_PRESET_0_NAME               2000
#define IDS_PRESET_0_PATH               2001
#define IDS_PRESET_1_NAME               2002
#define IDS_PRESET_1_PATH               2003
#define IDS_PRESET_2_NAME               2004
#define IDS_PRESET_2_PATH               2005
#define IDS_PRESET_3_NAME               2006
#define IDS_PRESET_3_PATH               2007
#define IDS_PRESET_4_NAME               2008
#define IDS_PRESET_4_PATH               2009
#define IDS_PRESET_5_NAME               2010
#define IDS_PRESET_5_PATH               2011
#define IDS_PRESET_6_NAME               2012
#define IDS_PRESET_6_PATH               2013
#define IDS_PRESET_7_NAME               2014
#define IDS_PRESET_7_PATH               2015
#define IDS_PRESET_8_NAME               2016
#define IDS_PRESET_8_PATH               2017
#define IDS_PRESET_9_NAME               2018
#define IDS_PRESET_9_PATH               2019

#endif
