#include "rules/rule_store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>

#include "core/root_names.h"
#include "core/rule_entry.h"
#include "core/rule_text.h"
#include "plugin/install_info.h"
#include "plugin/resource_module.h"
#include "plugin/settings_files.h"
#include "rules/ansi_field.h"
#include "rules/ini_rules.h"
#include "rules/rule_database.h"

RuleStore g_ruleStore;

namespace {

void (*g_retryWait)(DWORD) = nullptr;

const UINT kUserCategoryDescription = 157;
const UINT kUserCategoryName = 158;
const UINT kUserCategoryExtraText = 159;

// A zero-filled array of kMaxCategories records, freed with free().
RuleCategory* AllocCategories() {
    return static_cast<RuleCategory*>(std::calloc(kMaxCategories, sizeof(RuleCategory)));
}

void FreeCategories(RuleCategory* categories, uint32_t count) {
    if (!categories) return;
    ClearItems(categories, count);
    std::free(categories);
}

// The product's data folder with a trailing backslash.
std::wstring ProductDataFolder() {
    wchar_t folder[kPathChars] = {};
    if (QueryDataFolder(folder, kPathChars, L"AntiVirus", L"Data\\")) {
        folder[kPathChars - 1] = 0;
        return folder;
    }
    std::wstring install = GetInstallPath(L"AntiVirus");
    ::CreateDirectoryW(install.c_str(), nullptr);
    std::wstring data = install + L"\\Data\\";
    ::CreateDirectoryW(data.c_str(), nullptr);
    return data;
}

// An ANSI path into a store field, or empty when it does not fit whole.
void SetPathField(char (&field)[kStorePathSize], const std::wstring& path) {
    WideToAnsiField(path.c_str(), field, kStorePathSize);
}

std::string AnsiPath(const wchar_t* path) {
    char buffer[kStorePathSize];
    WideToAnsiField(path ? path : L"", buffer, kStorePathSize);
    return buffer;
}

void FillUserCategory(RuleCategory& category) {
    std::memset(&category, 0, sizeof category);
    category.id = kUserCategoryId;
    const std::wstring name = LoadResourceString(kUserCategoryName);
    const std::wstring description = LoadResourceString(kUserCategoryDescription);
    const std::wstring extra = LoadResourceString(kUserCategoryExtraText);
    WideToAnsiCut(name.c_str(), category.name, sizeof category.name);
    WideToAnsiCut(description.c_str(), category.description, sizeof category.description);
    WideToAnsiCut(extra.c_str(), category.extraText, sizeof category.extraText);
    WideCopyCut(name.c_str(), category.wideName, 64);
    WideCopyCut(description.c_str(), category.wideDescription, 512);
    WideCopyCut(extra.c_str(), category.wideExtraText, 512);
    category.action = 2;
    category.mode = 2;
    category.option3 = 0;
    category.option4 = 1;
    category.adminOnly = 0;
}

// Turns a rule into an item of the user category: the item's name is the
// rule's category; a key path without a short root name gives no item.
void AddRuleAsItem(RuleCategory& category, const RuleEntry& entry) {
    uint32_t root = 0;
    const char* rest = nullptr;
    if (!entry.keyPath || !SplitShortKeyPath(entry.keyPath, &root, &rest)) return;
    RuleItem item;
    std::memset(&item, 0, sizeof item);
    item.root = root;
    CopyCut(item.keyPath, sizeof item.keyPath, rest);
    CopyCut(item.name, sizeof item.name, entry.category);
    AnsiToWideCut(entry.category, item.wideName, 256);
    item.flags = kItemFlagLibrary;
    PrependItem(&category, &item);
}

// Root and lower-cased key path: what makes two items the same location.
std::string ItemKey(uint32_t root, const char* keyPath) {
    std::string key(reinterpret_cast<const char*>(&root), sizeof root);
    for (const char* p = keyPath; *p; ++p) {
        char c = *p;
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return key;
}

}  // namespace

void SetLibraryRetryWaitForTest(void (*wait)(DWORD)) { g_retryWait = wait; }

void BuildLibraryPath(WORD languageId) {
    wchar_t fileName[32];
    _snwprintf(fileName, 31, L"QRegEx%04X.rdb", languageId);
    fileName[31] = 0;
    const std::wstring folder = ProductDataFolder();
    SetPathField(g_ruleStore.libraryPath, folder + fileName);
    SetPathField(g_ruleStore.regLibPath, folder + L"RegLib.rdb");
}

bool ItemExists(uint32_t root, const char* keyPath) {
    for (uint32_t c = 0; c < g_ruleStore.count; ++c)
        for (const RuleItem* item = g_ruleStore.categories[c].items; item; item = item->next)
            if (item->root == root && CompareNoCase(item->keyPath, keyPath) == 0) return true;
    return false;
}

void MergeUserDatabase(const char* path) {
    if (!path || !path[0] || !g_ruleStore.categories) return;
    RuleCategory* read = AllocCategories();
    if (!read) return;
    const uint32_t n = ReadCategories(path, read, kMaxCategories);
    if (n == 0) {
        FreeCategories(read, 0);
        return;
    }
    if (read[0].wideName[0] == 0) {
        // Such a file is not merged.  It is moved aside rather than deleted,
        // so the user's rules can still be recovered from it.
        std::string aside = std::string(path) + ".discarded";
        ::MoveFileExA(path, aside.c_str(), MOVEFILE_REPLACE_EXISTING);
        FreeCategories(read, n);
        return;
    }
    // Every location already in the store, for the duplicate check.
    std::unordered_set<std::string> present;
    for (uint32_t c = 0; c < g_ruleStore.count; ++c)
        for (const RuleItem* item = g_ruleStore.categories[c].items; item; item = item->next)
            present.insert(ItemKey(item->root, item->keyPath));

    for (uint32_t i = 0; i < n; ++i) {
        RuleCategory* target = nullptr;
        for (uint32_t c = 0; c < g_ruleStore.count; ++c)
            if (g_ruleStore.categories[c].id == read[i].id) {
                target = &g_ruleStore.categories[c];
                break;
            }
        if (!target) {
            // A full store drops what does not fit.
            if (g_ruleStore.count >= kMaxCategories) continue;
            target = &g_ruleStore.categories[g_ruleStore.count++];
            std::memcpy(target, &read[i], sizeof *target);
            target->items = nullptr;
        }
        for (RuleItem* item = read[i].items; item; item = item->next) {
            item->flags |= kItemFlagUser;
            if (!present.insert(ItemKey(item->root, item->keyPath)).second) continue;
            PrependItem(target, item);
        }
    }
    FreeCategories(read, n);
}

void ReadModeAction(const char* iniPath) {
    if (!iniPath || !iniPath[0]) return;
    for (uint32_t c = 0; c < g_ruleStore.count; ++c) {
        RuleCategory& category = g_ruleStore.categories[c];
        char section[16];
        std::snprintf(section, sizeof section, "%d", category.id);
        int mode = static_cast<int>(::GetPrivateProfileIntA(section, "Mode", -1, iniPath));
        if (mode != -1) category.mode = mode;
        int action = static_cast<int>(::GetPrivateProfileIntA(section, "Action", -1, iniPath));
        if (action != -1) category.action = action;
    }
}

void WriteModeAction(const char* iniPath) {
    if (!iniPath || !iniPath[0]) return;
    for (uint32_t c = 0; c < g_ruleStore.count; ++c) {
        const RuleCategory& category = g_ruleStore.categories[c];
        char section[16], mode[16], action[16];
        std::snprintf(section, sizeof section, "%d", category.id);
        std::snprintf(mode, sizeof mode, "%d", category.mode);
        std::snprintf(action, sizeof action, "%d", category.action);
        ::WritePrivateProfileStringA(section, "Mode", mode, iniPath);
        ::WritePrivateProfileStringA(section, "Action", action, iniPath);
    }
}

uint32_t MergeRuleLibraries(WORD languageId, const wchar_t* realUserDatabasePath, const wchar_t* realExpertIniPath) {
    BuildLibraryPath(languageId);
    ReleaseRuleStore();

    RuleStore& store = g_ruleStore;
    store.categories = AllocCategories();
    if (!store.categories) return 0;
    // One record is kept free for the user category, so the user's own rules
    // always have their place even when a shipped library fills the store.
    const uint32_t libraryCapacity = kMaxCategories - 1;
    store.count = ReadCategories(store.libraryPath, store.categories, libraryCapacity);
    if (store.count == 0) {
        if (g_retryWait)
            g_retryWait(kLibraryRetryMs);
        else
            ::Sleep(kLibraryRetryMs);
        store.count = ReadCategories(store.libraryPath, store.categories, libraryCapacity);
    }
    for (uint32_t c = 0; c < store.count; ++c)
        for (RuleItem* item = store.categories[c].items; item; item = item->next) item->flags &= ~kItemFlagUser;

    RuleEntry* library = ReadRuleLibrary(store.regLibPath);

    RuleCategory& user = store.categories[store.count];
    FillUserCategory(user);
    // Every library rule becomes an item, and the user's INI rules are read
    // whether or not a library was found.
    for (const RuleEntry* entry = library; entry; entry = entry->next) AddRuleAsItem(user, *entry);

    wchar_t userIni[kPathChars];
    BuildSettingsPath(L"RegUser.ini", userIni, kPathChars, false);
    const std::string userIniAnsi = AnsiPath(userIni);
    if (!userIniAnsi.empty()) {
        RuleEntry* rules = ReadIniRuleFile(userIniAnsi.c_str());
        uint32_t taken = 0;
        for (const RuleEntry* entry = rules; entry && taken < kMaxIniRules; entry = entry->next, ++taken)
            AddRuleAsItem(user, *entry);
        FreeRuleEntries(rules);
    }
    store.count += 1;

    MergeUserDatabase(AnsiPath(realUserDatabasePath).c_str());
    ReadModeAction(AnsiPath(realExpertIniPath).c_str());
    FreeRuleEntries(library);
    return store.count;
}

void SaveRuleStore() {
    RuleStore& store = g_ruleStore;
    if (store.categories) {
        RuleCategory* copies = AllocCategories();
        if (!copies) return;
        uint32_t n = 0;
        for (uint32_t c = 0; c < store.count && n < kMaxCategories; ++c) {
            const RuleCategory& category = store.categories[c];
            bool hasUserItem = false;
            for (const RuleItem* item = category.items; item && !hasUserItem; item = item->next)
                hasUserItem = (item->flags & kItemFlagUser) != 0;
            if (!hasUserItem && category.id < kFirstUserCreatedId) continue;
            RuleCategory& copy = copies[n++];
            std::memcpy(&copy, &category, sizeof copy);
            copy.items = nullptr;
            for (const RuleItem* item = category.items; item; item = item->next)
                if (item->flags & kItemFlagUser) PrependItem(&copy, item);
        }
        if (store.userDatabasePath[0]) WriteCategories(store.userDatabasePath, copies, n);
        FreeCategories(copies, n);
    }
    WriteModeAction(store.expertIniPath);
}

void ReleaseRuleStore() {
    FreeCategories(g_ruleStore.categories, g_ruleStore.count);
    g_ruleStore.categories = nullptr;
    g_ruleStore.count = 0;
}

namespace {
// The store is released when the module unloads.
struct ReleaseStoreAtUnload {
    ~ReleaseStoreAtUnload() { ReleaseRuleStore(); }
} g_releaseStoreAtUnload;
}  // namespace
