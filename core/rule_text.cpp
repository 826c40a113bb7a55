#include "rule_text.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ascii_case.h"
#include "heap_text.h"
#include "root_names.h"

namespace {

// Offset of the first case-insensitive occurrence of pattern, or npos.
size_t FindNoCase(const char* text, const char* pattern)
{
    size_t patternLength = std::strlen(pattern);
    if (patternLength == 0)
        return std::string::npos;
    for (size_t at = 0; text[at] != '\0'; ++at) {
        size_t k = 0;
        while (k < patternLength && text[at + k] != '\0' && AsciiLower(text[at + k]) == AsciiLower(pattern[k]))
            ++k;
        if (k == patternLength)
            return at;
    }
    return std::string::npos;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int32_t ParseLeadingInt(const char* text)
{
    if (text == nullptr)
        return 0;
    while (IsBlank(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = (*text++ == '-');
    // Accumulate with a clamp so that an overlong number saturates instead of
    // overflowing.
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1)
            value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative)
        return static_cast<int32_t>(-value);
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

RuleEntry* MakeRuleEntry(const char* section, const char* displayName, const char* key, const char* value)
{
    if (key == nullptr)
        return nullptr;
    if (section == nullptr)
        section = "";
    if (displayName == nullptr)
        displayName = "";
    if (value == nullptr)
        value = "";

    const char* backslash = std::strchr(key, '\\');
    if (backslash == nullptr)
        return nullptr;
    std::string rootName(key, backslash - key);
    uint32_t root = RootFromLongName(rootName.c_str());
    if (root == 0)
        root = RootFromShortName(rootName.c_str());
    if (root == 0)
        return nullptr;

    std::string keyPath = ShortNameFromRoot(root);
    keyPath += '\\';
    keyPath += backslash + 1;

    const char* comma = std::strchr(value, ',');
    size_t patternLength = comma != nullptr ? static_cast<size_t>(comma - value) : std::strlen(value);

    RuleEntry* entry = AllocRuleEntry();
    if (entry == nullptr)
        return nullptr;
    CopyCut(entry->category, sizeof entry->category, section);
    CopyCut(entry->displayName, sizeof entry->displayName, displayName[0] != '\0' ? displayName : section);
    entry->keyPath = HeapTextCopy(keyPath.data(), keyPath.size());
    entry->valuePattern = HeapTextCopy(value, patternLength);
    entry->number = comma != nullptr ? ParseLeadingInt(comma + 1) : 0;
    if (entry->keyPath == nullptr || entry->valuePattern == nullptr) {
        FreeRuleEntries(entry);
        return nullptr;
    }
    return entry;
}

size_t ReplaceFirstNoCase(const char* source, const char* pattern, const char* replacement,
                          char* output, size_t outputSize)
{
    if (output == nullptr || outputSize == 0)
        return 0;
    if (source == nullptr)
        source = "";
    if (replacement == nullptr)
        replacement = "";

    std::string result;
    size_t at = pattern != nullptr ? FindNoCase(source, pattern) : std::string::npos;
    if (at == std::string::npos) {
        result = source;
    } else {
        result.assign(source, at);
        result += replacement;
        result += source + at + std::strlen(pattern);
    }
    size_t length = result.size() < outputSize - 1 ? result.size() : outputSize - 1;
    std::memcpy(output, result.data(), length);
    output[length] = '\0';
    return length;
}

char* ExpandValuePatternWith(char* text, const char* systemDirectory)
{
    char* result;
    if (text != nullptr && std::strchr(text, '*') != nullptr) {
        result = HeapTextCopy("*", 1);
    } else {
        char expanded[kRuleTextMax + 1];
        size_t length = ReplaceFirstNoCase(text, "%system%", systemDirectory, expanded, sizeof expanded);
        result = HeapTextCopy(expanded, length);
    }
    std::free(text);
    return result;
}

bool SplitShortKeyPath(const char* keyPath, uint32_t* root, const char** rest)
{
    if (keyPath == nullptr)
        return false;
    const char* backslash = std::strchr(keyPath, '\\');
    if (backslash == nullptr)
        return false;
    uint32_t found = RootFromShortName(std::string(keyPath, backslash - keyPath).c_str());
    if (found == 0)
        return false;
    if (root != nullptr)
        *root = found;
    if (rest != nullptr)
        *rest = backslash + 1;
    return true;
}
