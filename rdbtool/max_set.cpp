#include "rdbtool/max_set.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/root_names.h"
#include "rdbtool/database_files.h"
#include "rdbtool/file_bytes.h"
#include "rdbtool/rdb_model.h"

const wchar_t kMaxSetLibraryName[] = L"QRegEx0409.rdb";

namespace {

const uint32_t kUserItemsPerCategory = 100;
const uint32_t kIniRulesPerSection = 10;
const uint32_t kLibraryRuleGroups = 40;

template <size_t N>
void SetText(char (&narrow)[N], wchar_t* wide, const char* format, uint32_t a, uint32_t b = 0) {
    std::snprintf(narrow, N, format, a, b);
    size_t i = 0;
    for (; narrow[i]; ++i) wide[i] = static_cast<unsigned char>(narrow[i]);  // ASCII only
    wide[i] = 0;
}

// Shipped ids stay below 800, where the user's own categories begin, and
// leave out 99, the user category: 1..98, 100..799, then 0, -1, -2, ...
int32_t LibraryCategoryId(uint32_t index) {
    if (index < 98) return static_cast<int32_t>(index + 1);
    if (index < 798) return static_cast<int32_t>(index + 2);
    return 798 - static_cast<int32_t>(index);
}

const uint32_t kRoots[] = {kHkeyLocalMachine, kHkeyCurrentUser, kHkeyClassesRoot};

RuleItem LibraryItem(uint32_t category, uint32_t index) {
    RuleItem item;
    std::memset(&item, 0, sizeof item);
    item.root = kRoots[(category + index) % 3];
    std::snprintf(item.keyPath, sizeof item.keyPath, "Software\\Vendor%04u\\Protected\\Setting%03u", category, index);
    SetText(item.name, item.wideName, "Setting %u of group %u", index, category);
    return item;
}

RuleCategory MakeCategory(int32_t id, uint32_t n) {
    static const int32_t kModes[] = {0x002, 0x101, 0x200, 0x103};
    RuleCategory category;
    std::memset(&category, 0, sizeof category);
    category.id = id;
    SetText(category.name, category.wideName, "Protection group %u", n);
    SetText(category.description, category.wideDescription,
            "Registry locations of protection group %u, guarded against changes by other programs.", n);
    category.action = static_cast<int32_t>(n % 3);
    category.mode = kModes[n % 4];
    category.option4 = 1;
    category.adminOnly = static_cast<int32_t>(n % 2);
    return category;
}

RdbSource ShippedLibrary(const MaxSetShape& shape) {
    RdbSource source;
    source.kind = RdbKind::kCategories;
    for (uint32_t c = 0; c < shape.categories; ++c) {
        source.database.AddCategory(MakeCategory(LibraryCategoryId(c), c + 1));
        for (uint32_t i = 0; i < shape.itemsPerCategory; ++i) source.database.AddItem(LibraryItem(c + 1, i));
    }
    return source;
}

RdbSource RuleLibrarySet(const MaxSetShape& shape) {
    RdbSource source;
    source.kind = RdbKind::kLibrary;
    char text[64];
    for (uint32_t r = 0; r < shape.libraryRecords; ++r) {
        LibraryRule rule;
        std::snprintf(text, sizeof text, "Library group %u", r % kLibraryRuleGroups);
        rule.category = text;
        std::snprintf(text, sizeof text, "Library rule %u", r);
        rule.displayName = text;
        std::snprintf(text, sizeof text, "%s\\Software\\RuleLibrary\\Rule%05u", r % 2 ? "HKCU" : "HKLM", r);
        rule.keyPath = text;
        if (r % 3 == 0)
            std::snprintf(text, sizeof text, "%%system%%\\rule%u.exe", r);
        else if (r % 3 == 1)
            std::snprintf(text, sizeof text, "*");
        else
            std::snprintf(text, sizeof text, "value%u", r);
        rule.valuePattern = text;
        rule.number = static_cast<int32_t>(r % 7);
        source.library.rules.push_back(rule);
    }
    return source;
}

uint32_t UserCategoryCount(const MaxSetShape& shape) {
    return (shape.userItems + kUserItemsPerCategory - 1) / kUserItemsPerCategory;
}

// User categories that join library categories; the others are the user's own.
uint32_t JoiningCategoryCount(const MaxSetShape& shape) {
    const uint32_t all = UserCategoryCount(shape);
    return all == 0 ? 0 : std::min(all - 1, shape.categories);
}

// User categories of 100 items: all but the last join a library category,
// the last is the user's own (id 800), so a max-scale store is exactly full.
// Every tenth item repeats a library location in other letter case, which
// the load drops.
RdbSource UserDatabase(const MaxSetShape& shape) {
    RdbSource source;
    source.kind = RdbKind::kCategories;
    const uint32_t categories = UserCategoryCount(shape);
    const uint32_t joining = JoiningCategoryCount(shape);
    uint32_t made = 0;
    for (uint32_t k = 0; k < categories; ++k) {
        const int32_t id = k < joining ? LibraryCategoryId(k) : kFirstUserCreatedId + static_cast<int32_t>(k - joining);
        source.database.AddCategory(MakeCategory(id, k + 1));
        for (uint32_t i = 0; i < kUserItemsPerCategory && made < shape.userItems; ++i, ++made) {
            RuleItem item;
            if (made % 10 == 0 && shape.categories && shape.itemsPerCategory) {
                item = LibraryItem((made / 10) % shape.categories + 1, (made / 10) % shape.itemsPerCategory);
                for (char* p = item.keyPath; *p; ++p)
                    if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
            } else {
                std::memset(&item, 0, sizeof item);
                item.root = kHkeyCurrentUser;
                std::snprintf(item.keyPath, sizeof item.keyPath, "Software\\UserRules\\Entry%05u", made);
            }
            SetText(item.name, item.wideName, "User entry %u", made);
            item.flags = kItemFlagUser;
            source.database.AddItem(item);
        }
    }
    return source;
}

std::string UserIniFile(const MaxSetShape& shape) {
    std::string ini;
    char line[160];
    for (uint32_t r = 0; r < shape.iniRules; ++r) {
        if (r % kIniRulesPerSection == 0) {
            std::snprintf(line, sizeof line, "[Rules%05u]\r\nname=Rule group %u\r\n", r / kIniRulesPerSection,
                          r / kIniRulesPerSection);
            ini += line;
        }
        // The file mixes both spellings of a root, as hand-edited files do.
        std::snprintf(line, sizeof line, "%s\\Software\\HandRules\\Key%05u\\Value=data%u,%u\r\n",
                      r % 2 ? "HKEY_CURRENT_USER" : "HKLM", r, r, r % 5);
        ini += line;
    }
    return ini;
}

std::string ExpertIniFile(const MaxSetShape& shape) {
    std::string ini;
    char section[96];
    auto add = [&](int32_t id, uint32_t n) {
        std::snprintf(section, sizeof section, "[%d]\r\nMode=%d\r\nAction=%u\r\n", id, n % 2 ? 0x103 : 0x002, n % 3);
        ini += section;
    };
    for (uint32_t c = 0; c < shape.categories; ++c) add(LibraryCategoryId(c), c);
    add(kUserCategoryId, 0);
    for (uint32_t k = JoiningCategoryCount(shape); k < UserCategoryCount(shape); ++k)
        add(kFirstUserCreatedId + static_cast<int32_t>(k - JoiningCategoryCount(shape)), k);
    return ini;
}

}  // namespace

MaxSetShape DoubledShape(const MaxSetShape& shape) {
    MaxSetShape doubled = shape;
    doubled.itemsPerCategory *= 2;
    doubled.libraryRecords *= 2;
    doubled.iniRules *= 2;
    doubled.userItems *= 2;
    return doubled;
}

bool GenerateMaxSet(const std::wstring& dataFolder, const std::wstring& settingsFolder, const MaxSetShape& shape,
                    std::string& error) {
    struct Database {
        std::wstring path;
        RdbSource source;
    } databases[] = {
        {dataFolder + L"\\" + kMaxSetLibraryName, ShippedLibrary(shape)},
        {dataFolder + L"\\RegLib.rdb", RuleLibrarySet(shape)},
        {settingsFolder + L"\\QRegUser.rdb", UserDatabase(shape)},
    };
    for (const Database& database : databases)
        if (!WriteDatabaseFile(database.path, database.source, error)) return false;
    if (!WriteFileBytes(settingsFolder + L"\\RegUser.ini", UserIniFile(shape)) ||
        !WriteFileBytes(settingsFolder + L"\\QRegEx.ini", ExpertIniFile(shape))) {
        error = "could not write the INI files";
        return false;
    }
    return true;
}
