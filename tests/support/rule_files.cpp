#include "tests/support/rule_files.h"

#include <windows.h>

#include <cstdio>

namespace testing_support {

std::string RuleSectionName(size_t section) {
    char name[32];
    std::snprintf(name, sizeof name, "Rules%05u", static_cast<unsigned>(section));
    return name;
}

std::string RuleKeyPath(size_t rule) {
    char path[96];
    std::snprintf(path, sizeof path, "%s\\Software\\HandRules\\Key%05u\\Value", rule % 2 ? "HKCU" : "HKLM",
                  static_cast<unsigned>(rule));
    return path;
}

std::string RuleValuePattern(size_t rule) { return "data" + std::to_string(rule); }

int RuleNumber(size_t rule) { return static_cast<int>(rule % 5); }

std::string RuleFileText(size_t first, size_t end, size_t perSection) {
    std::string text;
    char line[160];
    for (size_t r = first; r < end; ++r) {
        if (r % perSection == 0) {
            const unsigned section = static_cast<unsigned>(r / perSection);
            std::snprintf(line, sizeof line, "[%s]\r\nname=Rule group %u\r\n", RuleSectionName(section).c_str(),
                          section);
            text += line;
        }
        // The file spells the root both ways; the reader gives the short one.
        std::snprintf(line, sizeof line, "%s\\Software\\HandRules\\Key%05u\\Value=%s,%d\r\n",
                      r % 2 ? "HKEY_CURRENT_USER" : "HKLM", static_cast<unsigned>(r), RuleValuePattern(r).c_str(),
                      RuleNumber(r));
        text += line;
    }
    return text;
}

size_t WriteRuleFile(const std::wstring& path, const std::string& head, uint64_t bytes, size_t perSection) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    uint64_t written = 0;
    size_t rules = 0;
    std::string chunk = head;
    bool ok = true;
    do {
        // A thousand rules at a time: a 100 MB file is never held whole.
        chunk += RuleFileText(rules, rules + 1000, perSection);
        rules += 1000;
        DWORD wrote = 0;
        ok = ::WriteFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &wrote, nullptr) && wrote == chunk.size();
        written += chunk.size();
        chunk.clear();
    } while (ok && written < bytes);
    ::CloseHandle(file);
    return ok ? rules : 0;
}

}  // namespace testing_support
