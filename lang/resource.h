/* Resource and control ids of the language modules.  Every language module
   carries the same ids; the plug-in finds everything by these numbers.
   Shared by the resource scripts and by C++ code. */
#ifndef VTPS_LANG_RESOURCE_H
#define VTPS_LANG_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Strings */
#define IDS_PAGE_TITLE                  125
#define IDS_USER_CATEGORY_DESCRIPTION   157
#define IDS_USER_CATEGORY_NAME          158
#define IDS_USER_CATEGORY_EXTRA         159

/* Main settings page */
#define IDD_SETTINGS_PAGE               102
#define IDC_EXPERT_RULES                1001
#define IDC_EDIT_USER_RULES             1002

#endif
#include "lang/hand_edit_ids.h"
#include "lang/expert_ids.h"
