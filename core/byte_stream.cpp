#include "byte_stream.h"

#include <cstring>

bool MemorySource::Read(void* buffer, uint32_t n)
{
    if (n > size_ - pos_)
        return false;  // short read: the caller's buffer stays untouched
    if (n != 0)
        std::memcpy(buffer, data_ + pos_, n);
    pos_ += n;
    return true;
}

bool MemorySink::Write(const void* buffer, uint32_t n)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    bytes_.insert(bytes_.end(), bytes, bytes + n);
    return true;
}
