#include "tests/faults/realistic_settings.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "rules/rule_database.h"
#include "tests/support/test_files.h"

using namespace testing_support;

const wchar_t* const kSettingsFileNames[3] = {L"RegUser.ini", L"QRegUser.rdb", L"QRegEx.ini"};

namespace {

const char kRegUserIni[] =
    "[Browser]\r\n"
    "name=Start page\r\n"
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main\\Start Page=about:blank,1\r\n"
    "HKLM\\Software\\Microsoft\\Internet Explorer\\Main\\Default_Page_URL=*,2\r\n"
    "\r\n"
    "[Startup]\r\n"
    "name=Own start-up entries\r\n"
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater=%windir%\\updater.exe,0\r\n"
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Agent=*\r\n"
    "\r\n"
    "[File types]\r\n"
    "HKCR\\exefile\\shell\\open\\command=\"%1\" %*,1\r\n"
    "HKCR\\.txt=txtfile\r\n";

void SetText(char* field, size_t size, utf16_t* wide, size_t wideSize, const char* text) {
    std::snprintf(field, size, "%s", text);
    size_t i = 0;
    for (; text[i] && i + 1 < wideSize; ++i) wide[i] = static_cast<utf16_t>(static_cast<unsigned char>(text[i]));
    wide[i] = 0;
}

RuleCategory Category(int32_t id, const char* name, const char* description, int32_t action, int32_t mode) {
    RuleCategory category;
    std::memset(&category, 0, sizeof category);
    category.id = id;
    SetText(category.name, sizeof category.name, category.wideName, 64, name);
    SetText(category.description, sizeof category.description, category.wideDescription, 512, description);
    category.action = action;
    category.mode = mode;
    category.option4 = 1;
    return category;
}

void AddItem(RuleCategory& category, uint32_t root, const char* keyPath, const char* name) {
    RuleItem item;
    std::memset(&item, 0, sizeof item);
    item.root = root;
    std::snprintf(item.keyPath, sizeof item.keyPath, "%s", keyPath);
    SetText(item.name, sizeof item.name, item.wideName, 256, name);
    item.flags = kItemFlagUser;
    PrependItem(&category, &item);
}

bool WriteUserDatabase(const std::wstring& path) {
    const uint32_t hklm = 0x80000002, hkcu = 0x80000001, hkcr = 0x80000000;
    std::vector<RuleCategory> categories;
    // A library category with the user's own additions ...
    categories.push_back(Category(1, "Startup programs", "Programs that start with Windows.", 1, 2));
    AddItem(categories.back(), hklm, "Software\\Vendor\\Updater\\Run", "Vendor updater");
    AddItem(categories.back(), hkcu, "Software\\Tools\\Autostart", "Tool autostart");
    // ... and categories of the user's own.
    categories.push_back(Category(800, "Office add-ins", "Add-ins loaded by the office programs.", 2, 0x101));
    for (int i = 0; i < 12; ++i) {
        char key[128], name[64];
        std::snprintf(key, sizeof key, "Software\\Office\\Addins\\Addin%02d\\LoadBehavior", i);
        std::snprintf(name, sizeof name, "Add-in %d", i);
        AddItem(categories.back(), i % 2 ? hkcu : hklm, key, name);
    }
    categories.push_back(Category(801, "Shell extensions", "Handlers that the desktop shell loads.", 0, 6));
    AddItem(categories.back(), hkcr, "*\\shellex\\ContextMenuHandlers", "Context menu handlers");
    AddItem(categories.back(), hklm, "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
            "Approved extensions");
    categories.push_back(Category(802, "Empty for now", "A category without items yet.", 1, 0));
    const int written = WriteCategories(path.c_str(), categories.data(), static_cast<uint32_t>(categories.size()));
    ClearItems(categories.data(), static_cast<uint32_t>(categories.size()));
    return written == 1;
}

std::string ExpertIni() {
    std::string text;
    const int ids[] = {1, 2, 3, 99, 800, 801, 802};
    for (int id : ids) {
        char section[96];
        std::snprintf(section, sizeof section, "[%d]\r\nMode=%d\r\nAction=%d\r\n", id, (id * 3) % 8, id % 3);
        text += section;
    }
    return text;
}

}  // namespace

bool WriteRealisticSettings(const std::wstring& folder) {
    const std::wstring database = folder + L"\\QRegUser.rdb";
    ::DeleteFileW(database.c_str());
    return WriteBytes(folder + L"\\RegUser.ini", kRegUserIni) && WriteUserDatabase(database) &&
           WriteBytes(folder + L"\\QRegEx.ini", ExpertIni());
}
