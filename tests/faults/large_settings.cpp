#include "tests/faults/large_settings.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/root_names.h"
#include "rules/rule_database.h"
#include "tests/support/test_files.h"

using namespace testing_support;

namespace {

// About what one user item takes in the database, for sizing it.
const uint32_t kBytesPerItem = 150;
const uint32_t kItemsPerCategory = 1000;

std::string RuleFile(char tag, size_t bytes) {
    std::string text;
    char line[256];
    for (uint32_t i = 0; text.size() < bytes; ++i) {
        std::snprintf(line, sizeof line,
                      "[Section %c%u]\r\nname=Rule %c%u\r\nHKCU\\Software\\Version%c\\Key%u=value %u,%u\r\n", tag, i, tag,
                      i, tag, i, i, i % 3);
        text += line;
    }
    return text;
}

std::string OptionFile(char tag, size_t bytes) {
    std::string text;
    char section[96];
    for (uint32_t id = 1; text.size() < bytes; ++id) {
        std::snprintf(section, sizeof section, "[%u]\r\nMode=%u\r\nAction=%u\r\n", id, (id + tag) % 8,
                      (id + tag) % 3);
        text += section;
    }
    return text;
}

bool WriteDatabase(const std::wstring& path, char tag, uint32_t kilobytes) {
    const uint32_t items = kilobytes * 1024 / kBytesPerItem;
    std::vector<RuleCategory> categories;
    for (uint32_t made = 0; made < items; ++made) {
        if (made % kItemsPerCategory == 0) {
            RuleCategory category;
            std::memset(&category, 0, sizeof category);
            category.id = 800 + static_cast<int32_t>(categories.size());
            std::snprintf(category.name, sizeof category.name, "Version %c part %u", tag,
                          static_cast<unsigned>(categories.size()));
            for (size_t i = 0; category.name[i]; ++i) category.wideName[i] = static_cast<utf16_t>(category.name[i]);
            category.action = 1;
            category.mode = 2;
            categories.push_back(category);
        }
        RuleItem item;
        std::memset(&item, 0, sizeof item);
        item.root = kHkeyCurrentUser;
        std::snprintf(item.keyPath, sizeof item.keyPath, "Software\\Version%c\\Watched\\Key%u", tag, made);
        std::snprintf(item.name, sizeof item.name, "Watched key %u", made);
        for (size_t i = 0; item.name[i]; ++i) item.wideName[i] = static_cast<utf16_t>(item.name[i]);
        item.flags = kItemFlagUser;
        if (!PrependItem(&categories.back(), &item)) return false;
    }
    ::DeleteFileW(path.c_str());
    const int written = WriteCategories(path.c_str(), categories.data(), static_cast<uint32_t>(categories.size()));
    ClearItems(categories.data(), static_cast<uint32_t>(categories.size()));
    return written == 1;
}

}  // namespace

bool WriteLargeSettings(const std::wstring& folder, char tag, uint32_t kilobytes) {
    const size_t bytes = static_cast<size_t>(kilobytes) * 1024;
    return WriteBytes(folder + L"\\RegUser.ini", RuleFile(tag, bytes)) &&
           WriteDatabase(folder + L"\\QRegUser.rdb", tag, kilobytes) &&
           WriteBytes(folder + L"\\QRegEx.ini", OptionFile(tag, bytes));
}
