// Reads arbitrary bytes as an 8-byte "REGINFO" record followed by "REGLIB" data.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/little_endian.h"
#include "core/reglib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < sizeof(RegInfo))
        return 0;
    RegInfo info;
    info.count = GetLe32(data);
    info.size = GetLe32(data + 4);
    const uint8_t* regLib = data + sizeof(RegInfo);
    size_t regLibSize = size - sizeof(RegInfo);
    if (!RegInfoUsable(info, regLibSize))
        return 0;
    // An exact-size copy, so that any read past `size` bytes trips ASan.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[info.size]);
    std::memcpy(exact.get(), regLib, info.size);
    RuleEntry* list = ParseRegLib(exact.get(), info.size, info.count);
    if (CountRuleEntries(list) > info.count)
        __builtin_trap();
    for (const RuleEntry* entry = list; entry != nullptr; entry = entry->next) {
        // Every text must be terminated within its limit.
        if (std::strlen(entry->category) > 63 || std::strlen(entry->displayName) > 63 ||
            std::strlen(entry->keyPath) > 1023 || std::strlen(entry->valuePattern) > 1023)
            __builtin_trap();
    }
    FreeRuleEntries(list);
    return 0;
}
