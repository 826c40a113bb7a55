/* Resources of the console executable that the plug-in loads from the
   hosting program: the expert rule editor's image-list bitmaps. */
#ifndef VTPS_CONSOLE_RESOURCE_H
#define VTPS_CONSOLE_RESOURCE_H

#define IDB_CATEGORY_LIST_IMAGES  139
#define IDB_ITEM_LIST_IMAGES      140

#endif
