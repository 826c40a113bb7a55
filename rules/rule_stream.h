// One opened stream of a rule database: the storage stream and the RC4 state
// that runs across every read or write through this object.
#pragma once
#include <objidl.h>

#include <cstdint>

#include "core/byte_stream.h"
#include "core/rc4.h"
#include "win/raii.h"

class RuleStream : public ByteSource, public ByteSink {
public:
    // Takes the reference held by `stream`; keys the cipher with "Quil Ros".
    explicit RuleStream(ComPtr<IStream> stream);

    // Deciphers into buffer only when all n bytes arrived; otherwise buffer
    // and cipher state stay as they were.
    bool Read(void* buffer, uint32_t n) override;
    // Reads n bytes straight into buffer and deciphers them there, a piece
    // at a time while it is in the cache: no block of n bytes besides the
    // caller's.  On failure the cipher state stays as it was, and buffer
    // holds whatever arrived.
    bool ReadWhole(uint8_t* buffer, uint32_t n);
    // Enciphers into a temporary block (the state advances by n) and writes
    // it; true when all n bytes were written.
    bool Write(const void* buffer, uint32_t n) override;
    // Current position, low 32 bits.
    uint32_t Tell();
    // Sets the stream's size.
    bool Truncate(uint32_t size);
    // The stream's real size, or 0 when it cannot be asked.
    uint64_t Size();

private:
    ComPtr<IStream> m_stream;
    Rc4State m_cipher;
};
