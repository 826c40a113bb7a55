// The process-wide in-memory rule store: the shipped library's categories,
// the user category (id 99) and the user's own categories, with the ANSI
// paths of the files they come from.
#pragma once
#include <windows.h>
#include <cstdint>
#include "core/rule_records.h"

const uint32_t kStorePathSize = 300;

struct RuleStore {
    uint32_t count;                  // categories in use
    RuleCategory* categories;        // room for kMaxCategories, or null before the first load
    char libraryPath[kStorePathSize];       // shipped QRegEx%04X.rdb; set at each load
    char userDatabasePath[kStorePathSize];  // working copy of QRegUser.rdb; set at module load
    char expertIniPath[kStorePathSize];     // working copy of QRegEx.ini; set at module load
    char specialLibraryPath[kStorePathSize];// real QRegSpecial.rdb; set at module load
    char userIniPath[kStorePathSize];       // real RegUser.ini; set at module load
    char regLibPath[kStorePathSize];        // RegLib.rdb; set at each load
    // Settings files that could not be read whole at the last load, being
    // busy or beyond the limits (kUnreadable* bits): their working copies
    // are never saved over nor applied.
    uint32_t unreadableFiles;
    // Of those, the ones whose working copies could not even be refreshed:
    // they hold stale bytes, which are not read either.
    uint32_t staleFiles;
    // Categories of the user database beyond the store's room: not shown,
    // but written back unchanged at every save.
    RuleCategory* overflow;
    uint32_t overflowCount;
};

const uint32_t kUnreadableUserDatabase = 1;  // QRegUser.rdb
const uint32_t kUnreadableExpertIni = 2;     // QRegEx.ini
const uint32_t kUnreadableUserIni = 4;       // RegUser.ini

extern RuleStore g_ruleStore;

// Most rules of the user INI rule file taken into the user category.
const uint32_t kMaxIniRules = 10001;
// The wait before the one retry of an empty shipped library.
const DWORD kLibraryRetryMs = 4000;

// Rebuilds the store from the rule files; returns the new count.
// `unreadable` names the settings files that this load could not read
// whole, `stale` those whose working copies it could not refresh; the merge
// adds the user database when it cannot be read.
uint32_t MergeRuleLibraries(WORD languageId, const wchar_t* realUserDatabasePath, const wchar_t* realExpertIniPath,
                            uint32_t unreadable = 0, uint32_t stale = 0);
// Sets libraryPath and regLibPath from the product's data folder.
void BuildLibraryPath(WORD languageId);
// Merges the categories and items of a user database into the store; those
// beyond the store's room are kept aside.  False when the file is there but
// could not be read, or is beyond the user database limits.
bool MergeUserDatabase(const char* path);
// Writes the user's categories and items to the working copy of the user
// database, and every category's Mode and Action to the working copy of the
// expert option file; a file that could not be read at the load is left as
// it is.
void SaveRuleStore();
// Whether some item of some category has root and (case-insensitively) keyPath.
bool ItemExists(uint32_t root, const char* keyPath);
void ReadModeAction(const char* iniPath);
void WriteModeAction(const char* iniPath);
// Frees every category's items and the arrays; count 0.
void ReleaseRuleStore();

// Fills the four path fields that the store keeps from module load on: the
// working copies of QRegUser.rdb and QRegEx.ini, the real QRegSpecial.rdb
// and RegUser.ini.  Runs when the module is loaded; tests run it again.
void BuildRuleStorePaths();

// The working copy of RegUser.ini to read rules from, or empty while it
// holds stale bytes (the real file could not be copied at the last Load).
void BuildReadableRuleFilePath(wchar_t* buffer, UINT bufferChars);
// The working copy of RegUser.ini to write entries into, or empty while the
// real file could not be read whole at the last Load (busy, or beyond the
// limits): such a file is left as it is.
void BuildEditableRuleFilePath(wchar_t* buffer, UINT bufferChars);

// Tests replace the wait of the library retry (null restores Sleep).
void SetLibraryRetryWaitForTest(void (*wait)(DWORD milliseconds));
