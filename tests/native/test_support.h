// Small helpers shared by the native tests.
#pragma once
#include <memory>
#include <string>

#include "core/rule_entry.h"
#include "core/utf16.h"

typedef std::basic_string<utf16_t> Utf16String;

// ASCII text widened unit by unit.
inline Utf16String Wide(const std::string& text)
{
    Utf16String wide;
    for (char c : text)
        wide.push_back(static_cast<utf16_t>(static_cast<unsigned char>(c)));
    return wide;
}

// ASCII view of a UTF-16 text (tests use ASCII only).
inline std::string Narrow(const utf16_t* text)
{
    std::string narrow;
    for (; *text != 0; ++text)
        narrow.push_back(static_cast<char>(*text));
    return narrow;
}

// Owns a RuleEntry list.
struct EntryDeleter {
    void operator()(RuleEntry* entry) const { FreeRuleEntries(entry); }
};
typedef std::unique_ptr<RuleEntry, EntryDeleter> EntryPtr;
