#include "tests/faults/guarded_bytes.h"

#include <cstring>

GuardedBytes::GuardedBytes(const std::vector<uint8_t>& bytes) {
    SYSTEM_INFO system;
    ::GetSystemInfo(&system);
    const SIZE_T page = system.dwPageSize;
    const SIZE_T dataPages = (bytes.size() + page - 1) / page;
    const SIZE_T total = (dataPages + 1) * page;
    uint8_t* base = static_cast<uint8_t*>(::VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!base) return;
    DWORD old = 0;
    if (!::VirtualProtect(base + dataPages * page, page, PAGE_NOACCESS, &old)) {
        ::VirtualFree(base, 0, MEM_RELEASE);
        return;
    }
    m_pBase = base;
    m_dwSize = static_cast<DWORD>(bytes.size());
    uint8_t* data = base + dataPages * page - bytes.size();
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    // The reader gets the bytes as input only: a write faults as well.
    if (dataPages) ::VirtualProtect(base, dataPages * page, PAGE_READONLY, &old);
    m_pData = data;
}

GuardedBytes::~GuardedBytes() {
    if (m_pBase) ::VirtualFree(m_pBase, 0, MEM_RELEASE);
}
