// Bytes placed so that their last byte is followed directly by a page that
// cannot be read: a reader that runs past the end faults at once instead of
// reading neighbouring memory unnoticed.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

class GuardedBytes {
public:
    explicit GuardedBytes(const std::vector<uint8_t>& bytes);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    bool Ok() const { return m_pBase != nullptr; }
    // Never null, also for no bytes (then it points at the guard page).
    const uint8_t* Data() const { return m_pData; }
    DWORD Size() const { return m_dwSize; }

private:
    void* m_pBase = nullptr;
    const uint8_t* m_pData = nullptr;
    DWORD m_dwSize = 0;
};
