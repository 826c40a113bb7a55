// Reads arbitrary bytes as a deciphered "RegDefine" stream.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/byte_stream.h"
#include "core/regdefine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::unique_ptr<RuleCategory[]> categories(new RuleCategory[kMaxCategories]());
    MemorySource source(data, size);
    uint32_t read = ReadRegDefine(source, categories.get(), kMaxCategories);
    if (read > kMaxCategories)
        __builtin_trap();
    ClearItems(categories.get(), read);
    // Only categories the reader counted were written; zero them for the next run.
    std::memset(static_cast<void*>(categories.get()), 0, sizeof(RuleCategory) * read);
    return 0;
}
