#include "reglib.h"

#include <cstdlib>
#include <cstring>

#include "heap_text.h"
#include "rule_text.h"

namespace {

const uint32_t kRegLibTextCount = 5;  // category, display name, key path, value pattern, number

}  // namespace

bool RegInfoUsable(const RegInfo& info, uint64_t regLibStreamSize)
{
    return info.count != 0 && info.size != 0 && info.size <= regLibStreamSize;
}

RuleEntry* ParseRegLib(const uint8_t* data, uint32_t size, uint32_t count)
{
    if (data == nullptr)
        return nullptr;
    RuleEntry* list = nullptr;
    uint32_t made = 0;
    uint32_t cursor = 0;
    while (made < count && cursor < size && data[cursor] != 0) {
        // Locate the five texts; each must end with a NUL inside the buffer.
        const char* texts[kRegLibTextCount];
        bool complete = true;
        for (uint32_t t = 0; t < kRegLibTextCount; ++t) {
            const void* nul = cursor < size ? std::memchr(data + cursor, 0, size - cursor) : nullptr;
            if (nul == nullptr) {
                complete = false;
                break;
            }
            texts[t] = reinterpret_cast<const char*>(data + cursor);
            cursor = static_cast<uint32_t>(static_cast<const uint8_t*>(nul) - data) + 1;
        }
        if (!complete)
            break;
        // The separator byte after the fifth text is skipped unread; past
        // the end, the loop's bound check ends the walk.
        ++cursor;

        RuleEntry* entry = AllocRuleEntry();
        if (entry == nullptr)
            break;
        CopyCut(entry->category, sizeof entry->category, texts[0]);
        CopyCut(entry->displayName, sizeof entry->displayName, texts[1]);
        entry->keyPath = HeapTextCopy(texts[2], std::strlen(texts[2]));
        entry->valuePattern = HeapTextCopy(texts[3], std::strlen(texts[3]));
        entry->number = ParseLeadingInt(texts[4]);
        if (entry->keyPath == nullptr || entry->valuePattern == nullptr) {
            FreeRuleEntries(entry);
            break;
        }
        entry->next = list;
        list = entry;
        ++made;
    }
    return list;
}
