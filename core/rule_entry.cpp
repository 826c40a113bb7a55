#include "rule_entry.h"

#include <cstdlib>
#include <cstring>

RuleEntry* AllocRuleEntry()
{
    return static_cast<RuleEntry*>(std::calloc(1, sizeof(RuleEntry)));
}

void FreeRuleEntries(RuleEntry* list)
{
    while (list != nullptr) {
        RuleEntry* next = list->next;
        std::free(list->keyPath);
        std::free(list->valuePattern);
        std::free(list);
        list = next;
    }
}

uint32_t CountRuleEntries(const RuleEntry* list)
{
    uint32_t n = 0;
    for (; list != nullptr; list = list->next)
        ++n;
    return n;
}

void CopyCut(char* field, uint32_t fieldSize, const char* text)
{
    if (field == nullptr || fieldSize == 0)
        return;
    size_t n = 0;
    if (text != nullptr)
        while (n + 1 < fieldSize && text[n] != '\0')
            ++n;
    if (n != 0)
        std::memmove(field, text, n);
    field[n] = '\0';
}
