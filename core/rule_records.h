// Category and item records of the rule store and of the "RegDefine" stream.
// Plain fixed-size records; a category owns its singly linked item list.
#pragma once
#include <cstddef>
#include <cstdint>
#include "utf16.h"

struct RuleItem {
    uint32_t root;           // predefined root key handle value, 0x80000000..0x80000006
    char keyPath[256];       // path below the root, ANSI
    char name[256];          // item name, ANSI
    uint32_t flags;          // see kItemFlag*
    utf16_t wideName[256];   // item name, UTF-16
    RuleItem* next;          // not part of the stored record
};

const uint32_t kItemFlagDotPath = 1;   // key path begins with "."
const uint32_t kItemFlagUser = 2;      // the user's own item, saved to the user database
const uint32_t kItemFlagLibrary = 8;   // from RegLib.rdb or the user INI rule file

struct RuleCategory {
    int32_t id;                     // 99: user category; >= 800: created by the user
    char name[64];
    char description[512];
    char extraText[512];
    int32_t action;                 // 0, 1 or 2
    int32_t mode;                   // option bits
    int32_t option3;
    int32_t option4;
    int32_t adminOnly;
    utf16_t wideName[64];
    utf16_t wideDescription[512];
    utf16_t wideExtraText[512];
    RuleItem* items;                // owned item list
};

const int32_t kUserCategoryId = 99;
const int32_t kFirstUserCreatedId = 800;
const uint32_t kMaxCategories = 1000;

static_assert(offsetof(RuleItem, keyPath) == 4, "RuleItem layout");
static_assert(offsetof(RuleItem, flags) == 516, "RuleItem layout");
static_assert(offsetof(RuleItem, wideName) == 520, "RuleItem layout");
static_assert(offsetof(RuleItem, next) == 1032, "RuleItem layout");
static_assert(offsetof(RuleCategory, action) == 1092, "RuleCategory layout");
static_assert(offsetof(RuleCategory, wideName) == 1112, "RuleCategory layout");
static_assert(offsetof(RuleCategory, items) == 3288, "RuleCategory layout");

// Allocates a zero-filled node, copies the item's fields into it and inserts
// it at the front of the category's list.  Returns false on allocation failure.
bool PrependItem(RuleCategory* category, const RuleItem* item);
// A node for a category's list, neither filled nor linked: a reader fills it
// in place instead of copying a record through PrependItem.  It goes to a
// list with LinkItemAtFront, or back with free().  Null when out of memory.
RuleItem* AllocItemNode();
// Puts a filled node at the front of the category's list, which owns it from
// then on.
void LinkItemAtFront(RuleCategory* category, RuleItem* node);
// Prepends a copy of item to the first of the first count categories whose id
// matches.  Returns 0 when no category has that id, 1 otherwise.
int AddItemToCategory(RuleCategory* categories, uint32_t count, int32_t id, const RuleItem* item);
// Frees every item node of each category and empties each list.
void ClearItems(RuleCategory* categories, uint32_t count);
// Frees one category's items and empties its list.
void EmptyCategoryItems(RuleCategory* category);
