// Byte sources and sinks that the stream codecs read from and write to.  The
// Windows side wraps an enciphered storage stream; tests and fuzzers use the
// in-memory ones.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads exactly n bytes into buffer and returns true; on a short or
    // failed read returns false and leaves buffer as it was.
    virtual bool Read(void* buffer, uint32_t n) = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes n bytes; true when all were written.
    virtual bool Write(const void* buffer, uint32_t n) = 0;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Read(void* buffer, uint32_t n) override;
    size_t Position() const { return pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class MemorySink : public ByteSink {
public:
    bool Write(const void* buffer, uint32_t n) override;
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};
