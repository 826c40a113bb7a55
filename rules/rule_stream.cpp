#include "rules/rule_stream.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

RuleStream::RuleStream(ComPtr<IStream> stream) : m_stream(std::move(stream)) {
    Rc4Init(m_cipher, kRuleStreamKey, sizeof(kRuleStreamKey));
}

bool RuleStream::Read(void* buffer, uint32_t n) {
    if (n == 0) return true;
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[n]);
    if (!block) return false;
    ULONG got = 0;
    HRESULT hr = m_stream->Read(block.get(), n, &got);
    if (FAILED(hr) || got != n) return false;
    Rc4Apply(m_cipher, block.get(), n);
    std::memcpy(buffer, block.get(), n);
    return true;
}

bool RuleStream::ReadWhole(uint8_t* buffer, uint32_t n) {
    const uint32_t kPiece = 256 * 1024;
    const Rc4State start = m_cipher;
    for (uint32_t done = 0; done < n;) {
        const uint32_t piece = std::min(kPiece, n - done);
        ULONG got = 0;
        if (FAILED(m_stream->Read(buffer + done, piece, &got)) || got != piece) {
            m_cipher = start;
            return false;
        }
        Rc4Apply(m_cipher, buffer + done, piece);
        done += piece;
    }
    return true;
}

bool RuleStream::Write(const void* buffer, uint32_t n) {
    if (n == 0) return true;
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[n]);
    if (!block) return false;
    std::memcpy(block.get(), buffer, n);
    Rc4Apply(m_cipher, block.get(), n);
    ULONG written = 0;
    HRESULT hr = m_stream->Write(block.get(), n, &written);
    return SUCCEEDED(hr) && written == n;
}

uint32_t RuleStream::Tell() {
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER position = {};
    if (FAILED(m_stream->Seek(zero, STREAM_SEEK_CUR, &position))) return 0;
    return position.LowPart;
}

bool RuleStream::Truncate(uint32_t size) {
    ULARGE_INTEGER newSize = {};
    newSize.QuadPart = size;
    return SUCCEEDED(m_stream->SetSize(newSize));
}

uint64_t RuleStream::Size() {
    STATSTG stat = {};
    if (FAILED(m_stream->Stat(&stat, STATFLAG_NONAME))) return 0;
    return stat.cbSize.QuadPart;
}
