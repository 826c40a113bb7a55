/* Ids of the expert rule editor, the add-category and the add-item dialogs. */
#ifndef VTPS_LANG_EXPERT_IDS_H
#define VTPS_LANG_EXPERT_IDS_H

/* Expert rule editor */
#define IDD_EXPERT_EDITOR               292
#define IDC_EXPERT_CATEGORY_LIST        1015
#define IDC_EXPERT_ITEM_LIST            1016
#define IDC_EXPERT_EDIT_CATEGORY        1019
#define IDC_EXPERT_ADD_CATEGORY         1020
#define IDC_EXPERT_DELETE_CATEGORY      1053
#define IDC_EXPERT_ADD_ITEM             1055
#define IDC_EXPERT_DELETE_ITEM          1056
#define IDC_EXPERT_DONE                 1072
/* The line above the lists that says what the buttons below do. */
#define IDC_EXPERT_HINT                 1074
#define IDR_EXPERT_CATEGORY_MENU        213
/* Submenu 0: the editor's item list; submenu 2: the hand-edit dialog's list. */
#define IDR_RULE_LIST_MENUS             216
/* The list images come from the hosting program, not the language module:
   every host of the editor (console, tests, benchmark) carries them. */
#define IDB_CATEGORY_LIST_IMAGES        139
#define IDB_ITEM_LIST_IMAGES            140

/* Add-category dialog */
#define IDD_ADD_CATEGORY                142
#define IDC_CLASSADD_NAME               1023
#define IDC_CLASSADD_DESCRIPTION        1024
#define IDC_CLASSADD_MODE_200           1025
#define IDC_CLASSADD_ACTION_ASK         1026
#define IDC_CLASSADD_MODE_101           1027
#define IDC_CLASSADD_MODE_002           1028
#define IDC_CLASSADD_ACTION_BLOCK       1029
#define IDC_CLASSADD_ACTION_ALLOW       1030
#define IDC_CLASSADD_ADMIN_ONLY         1031

/* Add-item dialog */
#define IDD_ADD_ITEM                    141
#define IDC_ITEMADD_ROOT                1008
#define IDC_ITEMADD_KEY_PATH            1022
#define IDC_ITEMADD_NAME                1023

/* Strings */
#define IDS_EXPERT_NEED_ADMIN           126
#define IDS_EXPERT_ASK_DELETE_CATEGORY  127
#define IDS_ACTION_ASK                  128
#define IDS_ACTION_BLOCK                129
#define IDS_ACTION_ALLOW                130
#define IDS_EXPERT_NAME_EXISTS          131
#define IDS_EXPERT_CANNOT_DELETE        132
#define IDS_CLASSADD_NO_OPTION          133
#define IDS_CLASSADD_NAME_EMPTY         134
#define IDS_EXPERT_NO_MORE_CATEGORIES   135
#define IDS_EXPERT_ASK_DELETE_ITEM      136
#define IDS_EXPERT_ITEM_EXISTS          137
#define IDS_ITEM_COLUMN_KEY_PATH        138
#define IDS_ITEMADD_NAME_EMPTY          140
#define IDS_ITEMADD_KEY_PATH_EMPTY      141
#define IDS_ITEM_COLUMN_ROOT            142
#define IDS_EXPERT_HINT_CATEGORIES      144
#define IDS_EXPERT_HINT_ITEMS           145
/* Caption of the rule dialogs' messages (add item, delete item, add entry). */
#define IDS_RULE_MESSAGE_CAPTION        146
#define IDS_CATEGORY_COLUMN_NAME        185
#define IDS_CATEGORY_COLUMN_ACTION      186
/* Shared by the add-item and the add-entry dialog. */
#define IDS_KEY_PATH_INVALID            195

#endif
