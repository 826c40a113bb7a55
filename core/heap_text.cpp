#include "heap_text.h"

#include <cstdlib>
#include <cstring>

#include "rule_entry.h"

char* HeapTextCopy(const char* text, size_t length)
{
    if (length > static_cast<size_t>(kRuleTextMax))
        length = kRuleTextMax;
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr)
        return nullptr;
    if (length != 0)
        std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}
