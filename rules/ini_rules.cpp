#include "rules/ini_rules.h"

#include <windows.h>

#include <vector>

#include "core/root_names.h"
#include "core/rule_text.h"
#include "rules/profile_list.h"
#include "rules/rule_entry_list.h"
#include "rules/value_spec.h"

namespace {

const DWORD kDisplayNameChars = 60;
const DWORD kValueChars = 260;
const char kDisplayNameKey[] = "name";

}  // namespace

RuleEntry* ReadIniRuleFile(const char* path) {
    RuleEntryList result;
    std::vector<char> sections = ReadProfileList(path);
    for (const char* section = sections.data(); *section; section += lstrlenA(section) + 1) {
        std::vector<char> keys = ReadProfileList(path, section);
        char displayName[kDisplayNameChars] = "";
        ::GetPrivateProfileStringA(section, kDisplayNameKey, "", displayName, kDisplayNameChars, path);

        for (const char* key = keys.data(); *key; key += lstrlenA(key) + 1) {
            if (CompareNoCase(key, kDisplayNameKey) == 0) continue;
            char value[kValueChars] = "";
            ::GetPrivateProfileStringA(section, key, "", value, kValueChars, path);

            RuleEntryList entry(MakeRuleEntry(section, displayName, key, value));
            if (!entry) continue;
            entry->valueSpec = ExpandValueSpec(entry->valueSpec);
            if (!entry->valueSpec) continue;  // out of memory: the rule is dropped
            entry->next = result.release();
            result.reset(entry.release());
        }
    }
    return result.release();
}
