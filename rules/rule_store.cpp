#include "rules/rule_store.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/ascii_case.h"
#include "core/root_names.h"
#include "core/rule_entry.h"
#include "core/rule_text.h"
#include "lang/resource.h"
#include "win/install_info.h"
#include "win/resource_module.h"
#include "win/settings_files.h"
#include "win/ansi_field.h"
#include "rules/ini_rules.h"
#include "rules/rule_database.h"
#include "rules/rule_entry_list.h"

RuleStore g_ruleStore;

namespace {

void (*g_retryWait)(DWORD) = nullptr;

// A zero-filled array of `capacity` records, freed with free().
RuleCategory* AllocCategories(uint32_t capacity = kMaxCategories) {
    return static_cast<RuleCategory*>(std::calloc(capacity, sizeof(RuleCategory)));
}

void FreeCategories(RuleCategory* categories, uint32_t count) {
    if (!categories) return;
    ClearItems(categories, count);
    std::free(categories);
}

// A temporary category array and the items of its first `count` records,
// freed together however the function that holds it ends.
class CategoryArray {
public:
    explicit CategoryArray(uint32_t capacity = kMaxCategories) : m_categories(AllocCategories(capacity)) {}
    ~CategoryArray() { FreeCategories(m_categories, count); }
    CategoryArray(const CategoryArray&) = delete;
    CategoryArray& operator=(const CategoryArray&) = delete;
    RuleCategory* get() const { return m_categories; }
    RuleCategory& operator[](uint32_t i) const { return m_categories[i]; }

    uint32_t count = 0;

private:
    RuleCategory* m_categories;
};

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
    const std::wstring name = LoadResourceString(IDS_USER_CATEGORY_NAME);
    const std::wstring description = LoadResourceString(IDS_USER_CATEGORY_DESCRIPTION);
    const std::wstring extra = LoadResourceString(IDS_USER_CATEGORY_EXTRA);
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
    // Filled in its node, which goes to the front of the list.
    RuleItem* item = AllocItemNode();
    if (!item) return;  // out of memory: the rule gives no item
    std::memset(item, 0, sizeof *item);
    item->root = root;
    CopyCut(item->keyPath, sizeof item->keyPath, rest);
    CopyCut(item->name, sizeof item->name, entry.category);
    AnsiToWideCut(entry.category, item->wideName, 256);
    item->flags = kItemFlagLibrary;
    LinkItemAtFront(&category, item);
}

// The duplicate check of a merge: root and key path, compared
// case-insensitively.  A full store holds some 70,000 items, a user database
// mostly far fewer: the database's items are indexed by hash, and one pass
// over the store marks those whose location it holds already.
class LocationIndex {
public:
    LocationIndex(const RuleCategory* read, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i)
            for (const RuleItem* item = read[i].items; item; item = item->next)
                incoming_.push_back({Hash(item->root, item->keyPath), item});
        std::sort(incoming_.begin(), incoming_.end(), ByHash);
    }
    void MarkThoseInStore(const RuleStore& store) {
        if (incoming_.empty()) return;
        for (uint32_t c = 0; c < store.count; ++c)
            for (const RuleItem* item = store.categories[c].items; item; item = item->next) {
                const Entry key{Hash(item->root, item->keyPath), item};
                auto range = std::equal_range(incoming_.begin(), incoming_.end(), key, ByHash);
                for (auto it = range.first; it != range.second; ++it)
                    if (SameLocation(*it->item, *item)) inStore_.insert(it->item);
            }
    }
    // True when the read item's location was in the store or came with an
    // earlier item of the database; otherwise it counts as there from now
    // on.  The item must outlive the index.
    bool Insert(const RuleItem* item) {
        if (inStore_.count(item)) return true;
        const uint32_t hash = Hash(item->root, item->keyPath);
        auto added = added_.equal_range(hash);
        for (auto it = added.first; it != added.second; ++it)
            if (SameLocation(*it->second, *item)) return true;
        added_.emplace(hash, item);
        return false;
    }

private:
    struct Entry {
        uint32_t hash;
        const RuleItem* item;
    };
    static bool ByHash(const Entry& a, const Entry& b) { return a.hash < b.hash; }
    // Equal for locations that differ only in the case of ASCII letters
    // (bit 5 set folds them; other bytes it merges only make more matches
    // to confirm).
    static uint32_t Hash(uint32_t root, const char* keyPath) {
        uint32_t hash = 0x811C9DC5u ^ root;
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(keyPath); *p; ++p)
            hash = (hash ^ (*p | 0x20u)) * 0x01000193u;
        return hash;
    }
    static bool SameLocation(const RuleItem& a, const RuleItem& b) {
        return a.root == b.root && CompareNoCase(a.keyPath, b.keyPath) == 0;
    }
    std::vector<Entry> incoming_;
    std::unordered_set<const RuleItem*> inStore_;
    std::unordered_multimap<uint32_t, const RuleItem*> added_;
};

// A decimal number as the profile functions surely read it: an optional
// minus and at most nine digits.
bool ReadPlainNumber(const std::string& text, int& value) {
    size_t i = (!text.empty() && text[0] == '-') ? 1 : 0;
    if (text.size() == i || text.size() - i > 9) return false;
    int magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        magnitude = magnitude * 10 + (text[i] - '0');
    }
    value = text[0] == '-' ? -magnitude : magnitude;
    return true;
}

// ReadModeAction over a file read whole: the same values that one
// GetPrivateProfileIntA call per key gives.  False, with nothing changed,
// when some value is not a plain number (the profile functions then decide).
bool ReadModeActionFrom(const std::vector<PlainIniSection>& sections) {
    std::unordered_map<std::string, const PlainIniSection*> byName;
    for (const PlainIniSection& section : sections) {
        for (const char* key : {"Mode", "Action"}) {
            int value;
            const std::string* text = FindPlainIniValue(section, key);
            if (text && !ReadPlainNumber(*text, value)) return false;
        }
        byName.emplace(section.name, &section);
    }
    for (uint32_t c = 0; c < g_ruleStore.count; ++c) {
        RuleCategory& category = g_ruleStore.categories[c];
        char name[16];
        std::snprintf(name, sizeof name, "%d", category.id);
        auto found = byName.find(name);
        if (found == byName.end()) continue;
        int value;
        const std::string* mode = FindPlainIniValue(*found->second, "Mode");
        if (mode && ReadPlainNumber(*mode, value) && value != -1) category.mode = value;
        const std::string* action = FindPlainIniValue(*found->second, "Action");
        if (action && ReadPlainNumber(*action, value) && value != -1) category.action = value;
    }
    return true;
}

// Writes profile values, leaving out those that a plain file holds already:
// the profile functions leave the file as it is for such a write, but each
// call still costs a check of the whole file, 2000 of them for a full store.
// What was written is remembered, so a later write of the same key (two
// categories with one id) is compared with the file as it is by then.
class ProfileWriter {
public:
    explicit ProfileWriter(const char* path) : path_(path) {
        std::vector<PlainIniSection> sections;
        known_ = ReadPlainIniFile(path, sections) == PlainIniRead::kPlain;
        for (const PlainIniSection& section : sections)
            for (const auto& entry : section.entries) values_.emplace(Key(section.name, entry.first), entry.second);
    }
    void Write(const char* section, const char* key, const char* value) {
        const std::string name = Key(section, key);
        if (known_) {
            auto found = values_.find(name);
            if (found != values_.end() && found->second == value) return;
        }
        if (::WritePrivateProfileStringA(section, key, value, path_) && known_) values_[name] = value;
    }

private:
    // Section and key as the profile functions match them (ASCII case folded).
    static std::string Key(const std::string& section, const std::string& key) {
        std::string folded = section + '\n' + key;
        for (char& c : folded) c = AsciiLower(c);
        return folded;
    }

    const char* path_;
    bool known_ = false;
    std::unordered_map<std::string, std::string> values_;
};

// A user category for which the store has no room moves aside with its
// items as read, to be written back unchanged.
void KeepAside(RuleCategory& category) {
    RuleStore& store = g_ruleStore;
    if (!store.overflow) {
        store.overflow = AllocCategories();
        if (!store.overflow) return;
    }
    if (store.overflowCount >= kMaxCategories) return;
    std::memcpy(&store.overflow[store.overflowCount++], &category, sizeof category);
    category.items = nullptr;
}

}  // namespace

void SetLibraryRetryWaitForTest(void (*wait)(DWORD)) { g_retryWait = wait; }

void BuildRuleStorePaths() {
    struct Field {
        const wchar_t* name;
        bool real;
        char* target;
    };
    const Field fields[] = {
        {kUserDatabaseName, false, g_ruleStore.userDatabasePath},
        {kExpertIniName, false, g_ruleStore.expertIniPath},
        {L"QRegSpecial.rdb", true, g_ruleStore.specialLibraryPath},
        {kRegUserIniName, true, g_ruleStore.userIniPath},
    };
    for (const Field& f : fields) {
        wchar_t path[kPathChars];
        BuildSettingsPath(f.name, path, kPathChars, f.real);
        WideToAnsiField(path, f.target, kStorePathSize);
    }
}

namespace {
void BuildRuleFileWorkPath(wchar_t* buffer, UINT bufferChars, uint32_t withheld) {
    BuildSettingsPath(kRegUserIniName, buffer, bufferChars, false);
    if (buffer && bufferChars && (withheld & kUnreadableUserIni)) buffer[0] = 0;
}
}  // namespace

void BuildReadableRuleFilePath(wchar_t* buffer, UINT bufferChars) {
    BuildRuleFileWorkPath(buffer, bufferChars, g_ruleStore.staleFiles);
}

void BuildEditableRuleFilePath(wchar_t* buffer, UINT bufferChars) {
    BuildRuleFileWorkPath(buffer, bufferChars, g_ruleStore.unreadableFiles);
}

void BuildLibraryPath(WORD languageId) {
    wchar_t fileName[32];
    _snwprintf(fileName, 31, L"QRegEx%04X.rdb", languageId);
    fileName[31] = 0;
    // Without a data folder the shipped libraries are skipped rather than
    // looked for relative to the current folder or drive.
    const std::wstring folder = SuiteDataFolder();
    g_ruleStore.libraryPath[0] = 0;
    g_ruleStore.regLibPath[0] = 0;
    if (folder.empty()) return;
    SetPathField(g_ruleStore.libraryPath, folder + fileName);
    SetPathField(g_ruleStore.regLibPath, folder + L"RegLib.rdb");
}

bool ItemExists(uint32_t root, const char* keyPath) {
    for (uint32_t c = 0; c < g_ruleStore.count; ++c)
        for (const RuleItem* item = g_ruleStore.categories[c].items; item; item = item->next)
            if (item->root == root && CompareNoCase(item->keyPath, keyPath) == 0) return true;
    return false;
}

bool MergeUserDatabase(const char* path) {
    if (!path || !path[0] || !g_ruleStore.categories) return true;
    CategoryArray read;
    if (!read.get()) return false;
    DatabaseRead outcome = DatabaseRead::kRead;
    read.count = ReadUserCategories(path, read.get(), kMaxCategories, outcome);
    if (outcome == DatabaseRead::kUnreadable || outcome == DatabaseRead::kOverLimit) return false;
    if (read.count == 0) return true;
    if (read[0].wideName[0] == 0) {
        // Such a file is not merged.  It is moved aside rather than deleted,
        // so the user's rules can still be recovered from it.
        std::string aside = std::string(path) + ".discarded";
        ::MoveFileExA(path, aside.c_str(), MOVEFILE_REPLACE_EXISTING);
        return true;
    }
    LocationIndex present(read.get(), read.count);
    present.MarkThoseInStore(g_ruleStore);

    for (uint32_t i = 0; i < read.count; ++i) {
        RuleCategory* target = nullptr;
        for (uint32_t c = 0; c < g_ruleStore.count; ++c)
            if (g_ruleStore.categories[c].id == read[i].id) {
                target = &g_ruleStore.categories[c];
                break;
            }
        if (!target) {
            if (g_ruleStore.count >= kMaxCategories) {
                KeepAside(read[i]);
                continue;
            }
            target = &g_ruleStore.categories[g_ruleStore.count++];
            std::memcpy(target, &read[i], sizeof *target);
            target->items = nullptr;
        }
        // The read nodes move to the store, each to the front as it comes;
        // a duplicate stays with the read category and goes with it.
        RuleItem* item = read[i].items;
        read[i].items = nullptr;
        while (item) {
            RuleItem* next = item->next;
            item->flags |= kItemFlagUser;
            RuleItem*& list = present.Insert(item) ? read[i].items : target->items;
            item->next = list;
            list = item;
            item = next;
        }
    }
    return true;
}

void ReadModeAction(const char* iniPath) {
    if (!iniPath || !iniPath[0]) return;
    // Two profile calls per category reopen the file 2000 times for a full
    // store: a plain file is read in one go.
    std::vector<PlainIniSection> sections;
    switch (ReadPlainIniFile(iniPath, sections)) {
    case PlainIniRead::kMissing: return;  // every lookup would give its default
    case PlainIniRead::kPlain:
        if (ReadModeActionFrom(sections)) return;
        break;
    case PlainIniRead::kOther: break;
    }
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
    ProfileWriter written(iniPath);
    for (uint32_t c = 0; c < g_ruleStore.count; ++c) {
        const RuleCategory& category = g_ruleStore.categories[c];
        char section[16], mode[16], action[16];
        std::snprintf(section, sizeof section, "%d", category.id);
        std::snprintf(mode, sizeof mode, "%d", category.mode);
        std::snprintf(action, sizeof action, "%d", category.action);
        written.Write(section, "Mode", mode);
        written.Write(section, "Action", action);
    }
}

uint32_t MergeRuleLibraries(WORD languageId, const wchar_t* realUserDatabasePath, const wchar_t* realExpertIniPath,
                            uint32_t unreadable, uint32_t stale) {
    BuildLibraryPath(languageId);
    ReleaseRuleStore();

    RuleStore& store = g_ruleStore;
    store.unreadableFiles = unreadable | stale;
    store.staleFiles = stale;
    store.categories = AllocCategories();
    if (!store.categories) return 0;
    // One record is kept free for the user category, so the user's own rules
    // always have their place even when a shipped library fills the store.
    const uint32_t libraryCapacity = kMaxCategories - 1;
    if (store.libraryPath[0]) {
        store.count = ReadCategories(store.libraryPath, store.categories, libraryCapacity);
        if (store.count == 0) {
            if (g_retryWait)
                g_retryWait(kLibraryRetryMs);
            else
                ::Sleep(kLibraryRetryMs);
            store.count = ReadCategories(store.libraryPath, store.categories, libraryCapacity);
        }
    }
    for (uint32_t c = 0; c < store.count; ++c)
        for (RuleItem* item = store.categories[c].items; item; item = item->next) item->flags &= ~kItemFlagUser;

    RuleEntryList library(store.regLibPath[0] ? ReadRuleLibrary(store.regLibPath) : nullptr);

    RuleCategory& user = store.categories[store.count];
    FillUserCategory(user);
    // The user category counts from here on, so that whatever fails below
    // leaves a store that owns every item it holds.
    store.count += 1;
    // Every library rule becomes an item, and the user's INI rules are read
    // whether or not a library was found.
    for (const RuleEntry* entry = library.get(); entry; entry = entry->next) AddRuleAsItem(user, *entry);

    // (Stale bytes of a rule file that could not be copied give no rules.)
    wchar_t userIni[kPathChars];
    BuildReadableRuleFilePath(userIni, kPathChars);
    const std::string userIniAnsi = AnsiPath(userIni);
    if (!userIniAnsi.empty()) {
        RuleEntryList rules(ReadIniRuleFile(userIniAnsi.c_str()));
        uint32_t taken = 0;
        for (const RuleEntry* entry = rules.get(); entry && taken < kMaxIniRules; entry = entry->next, ++taken)
            AddRuleAsItem(user, *entry);
    }

    if (!MergeUserDatabase(AnsiPath(realUserDatabasePath).c_str())) store.unreadableFiles |= kUnreadableUserDatabase;
    ReadModeAction(AnsiPath(realExpertIniPath).c_str());
    return store.count;
}

void SaveRuleStore() {
    RuleStore& store = g_ruleStore;
    if (store.categories && !(store.unreadableFiles & kUnreadableUserDatabase)) {
        CategoryArray copies(kMaxCategories + store.overflowCount);
        if (!copies.get()) return;
        for (uint32_t c = 0; c < store.count && copies.count < kMaxCategories; ++c) {
            const RuleCategory& category = store.categories[c];
            bool hasUserItem = false;
            for (const RuleItem* item = category.items; item && !hasUserItem; item = item->next)
                hasUserItem = (item->flags & kItemFlagUser) != 0;
            if (!hasUserItem && category.id < kFirstUserCreatedId) continue;
            RuleCategory& copy = copies[copies.count++];
            std::memcpy(&copy, &category, sizeof copy);
            copy.items = nullptr;
            for (const RuleItem* item = category.items; item; item = item->next)
                if (item->flags & kItemFlagUser) PrependItem(&copy, item);
        }
        // The categories the store had no room for follow, as they were read.
        for (uint32_t c = 0; c < store.overflowCount; ++c) {
            RuleCategory& copy = copies[copies.count++];
            std::memcpy(&copy, &store.overflow[c], sizeof copy);
            copy.items = nullptr;
            for (const RuleItem* item = store.overflow[c].items; item; item = item->next) PrependItem(&copy, item);
        }
        if (store.userDatabasePath[0]) WriteCategories(store.userDatabasePath, copies.get(), copies.count);
    }
    if (!(store.unreadableFiles & kUnreadableExpertIni)) WriteModeAction(store.expertIniPath);
}

void ReleaseRuleStore() {
    FreeCategories(g_ruleStore.categories, g_ruleStore.count);
    g_ruleStore.categories = nullptr;
    g_ruleStore.count = 0;
    FreeCategories(g_ruleStore.overflow, g_ruleStore.overflowCount);
    g_ruleStore.overflow = nullptr;
    g_ruleStore.overflowCount = 0;
}

namespace {
// The store's paths are built when the module is loaded, before start-up,
// and the store is released when the module unloads.
struct StoreLifetime {
    StoreLifetime() { BuildRuleStorePaths(); }
    ~StoreLifetime() { ReleaseRuleStore(); }
} g_storeLifetime;
}  // namespace
