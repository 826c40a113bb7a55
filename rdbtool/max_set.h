// The max-scale rule set: the largest inputs the plug-in is built for, to
// measure the rule store's load and save against.
#pragma once
#include <cstdint>
#include <string>

struct MaxSetShape {
    uint32_t categories = 998;      // shipped library; with the user category and a user one, the store is full
    uint32_t itemsPerCategory = 50;
    uint32_t libraryRecords = 10000;  // RegLib.rdb
    uint32_t iniRules = 10001;        // RegUser.ini, the most the store takes
    uint32_t userItems = 2000;        // QRegUser.rdb; every tenth repeats a library item
};

// Every input twice as large.  The category count stays: the store holds at
// most 1000 categories, so the shipped library grows by its items.
MaxSetShape DoubledShape(const MaxSetShape& shape);

extern const wchar_t kMaxSetLibraryName[];  // "QRegEx0409.rdb"

// Writes QRegEx0409.rdb and RegLib.rdb into dataFolder, and RegUser.ini,
// QRegUser.rdb and QRegEx.ini (options of every category) into
// settingsFolder.  False with a message when a file cannot be written.
bool GenerateMaxSet(const std::wstring& dataFolder, const std::wstring& settingsFolder, const MaxSetShape& shape,
                    std::string& error);
