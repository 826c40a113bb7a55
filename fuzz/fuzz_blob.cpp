// Validates arbitrary bytes as a settings blob and reads every accepted part.
#include <cstddef>
#include <cstdint>

#include "core/settings_blob.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BlobLayout layout;
    if (!ParseBlobHeader(data, size, layout))
        return 0;
    volatile uint8_t sum = 0;
    for (uint32_t part = 0; part < kPartCount; ++part)
        for (uint32_t at = layout.start[part]; at < layout.end[part]; ++at)
            sum = static_cast<uint8_t>(sum + data[at]);  // out-of-bounds parts trip ASan
    (void)sum;
    return 0;
}
