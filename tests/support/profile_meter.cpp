#include "tests/support/profile_meter.h"

namespace testing_support {

namespace {

typedef DWORD(WINAPI* GetStringA)(LPCSTR, LPCSTR, LPCSTR, LPSTR, DWORD, LPCSTR);
typedef DWORD(WINAPI* GetStringW)(LPCWSTR, LPCWSTR, LPCWSTR, LPWSTR, DWORD, LPCWSTR);
typedef UINT(WINAPI* GetIntA)(LPCSTR, LPCSTR, INT, LPCSTR);
typedef DWORD(WINAPI* GetSectionW)(LPCWSTR, LPWSTR, DWORD, LPCWSTR);
typedef DWORD(WINAPI* GetSectionA)(LPCSTR, LPSTR, DWORD, LPCSTR);
typedef BOOL(WINAPI* ReadFileFn)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);

struct MeterState {
    ProfileMeterOptions options;
    GetStringA getString = nullptr;
    GetStringW getStringW = nullptr;
    GetIntA getInt = nullptr;
    GetSectionW getSectionW = nullptr;
    GetSectionA getSectionA = nullptr;
    ReadFileFn readFile = nullptr;
    uint64_t sections = 0, lists = 0, values = 0, largest = 0, bytesRead = 0;
} g_meter;

uint64_t SizeOf(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Notes the file and answers whether the call may go through.
bool Admit(uint64_t& counter, bool fileKnown, uint64_t size) {
    ++counter;
    if (fileKnown && size > g_meter.largest) g_meter.largest = size;
    const uint64_t calls = g_meter.sections + g_meter.lists + g_meter.values;
    return calls <= g_meter.options.callBudget && !(fileKnown && size > g_meter.options.refuseFilesAbove);
}

bool AdmitA(uint64_t& counter, LPCSTR path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    const bool known = path && ::GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    return Admit(counter, known, known ? SizeOf(data) : 0);
}

bool AdmitW(uint64_t& counter, LPCWSTR path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    const bool known = path && ::GetFileAttributesExW(path, GetFileExInfoStandard, &data);
    return Admit(counter, known, known ? SizeOf(data) : 0);
}

template <typename C>
DWORD Empty(C* buffer, DWORD size) {
    if (buffer && size > 0) buffer[0] = 0;
    if (buffer && size > 1) buffer[1] = 0;
    return 0;
}

DWORD WINAPI MeteredGetString(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer, DWORD size, LPCSTR path) {
    if (!AdmitA(key ? g_meter.values : g_meter.lists, path)) return Empty(buffer, size);
    return g_meter.getString(section, key, fallback, buffer, size, path);
}

DWORD WINAPI MeteredGetStringW(LPCWSTR section, LPCWSTR key, LPCWSTR fallback, LPWSTR buffer, DWORD size,
                               LPCWSTR path) {
    if (!AdmitW(key ? g_meter.values : g_meter.lists, path)) return Empty(buffer, size);
    return g_meter.getStringW(section, key, fallback, buffer, size, path);
}

UINT WINAPI MeteredGetInt(LPCSTR section, LPCSTR key, INT fallback, LPCSTR path) {
    if (!AdmitA(g_meter.values, path)) return static_cast<UINT>(fallback);
    return g_meter.getInt(section, key, fallback, path);
}

DWORD WINAPI MeteredGetSectionW(LPCWSTR section, LPWSTR buffer, DWORD size, LPCWSTR path) {
    if (!AdmitW(g_meter.sections, path)) return Empty(buffer, size);
    return g_meter.getSectionW(section, buffer, size, path);
}

DWORD WINAPI MeteredGetSectionA(LPCSTR section, LPSTR buffer, DWORD size, LPCSTR path) {
    if (!AdmitA(g_meter.sections, path)) return Empty(buffer, size);
    return g_meter.getSectionA(section, buffer, size, path);
}

BOOL WINAPI MeteredReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED overlapped) {
    const BOOL ok = g_meter.readFile(file, buffer, size, got, overlapped);
    if (ok && got) g_meter.bytesRead += *got;
    return ok;
}

}  // namespace

ProfileMeter::ProfileMeter(HMODULE module, ProfileMeterOptions options) {
    g_meter = MeterState();
    g_meter.options = options;
    redirects_[0].reset(new ImportRedirect(module, "GetPrivateProfileStringA", reinterpret_cast<void*>(&MeteredGetString)));
    g_meter.getString = reinterpret_cast<GetStringA>(redirects_[0]->Original());
    redirects_[1].reset(new ImportRedirect(module, "GetPrivateProfileIntA", reinterpret_cast<void*>(&MeteredGetInt)));
    g_meter.getInt = reinterpret_cast<GetIntA>(redirects_[1]->Original());
    redirects_[2].reset(
        new ImportRedirect(module, "GetPrivateProfileSectionW", reinterpret_cast<void*>(&MeteredGetSectionW)));
    g_meter.getSectionW = reinterpret_cast<GetSectionW>(redirects_[2]->Original());
    redirects_[3].reset(
        new ImportRedirect(module, "GetPrivateProfileSectionA", reinterpret_cast<void*>(&MeteredGetSectionA)));
    g_meter.getSectionA = reinterpret_cast<GetSectionA>(redirects_[3]->Original());
    redirects_[4].reset(new ImportRedirect(module, "ReadFile", reinterpret_cast<void*>(&MeteredReadFile)));
    g_meter.readFile = reinterpret_cast<ReadFileFn>(redirects_[4]->Original());
    redirects_[5].reset(
        new ImportRedirect(module, "GetPrivateProfileStringW", reinterpret_cast<void*>(&MeteredGetStringW)));
    g_meter.getStringW = reinterpret_cast<GetStringW>(redirects_[5]->Original());
}

ProfileMeter::~ProfileMeter() {
    for (auto& redirect : redirects_) redirect.reset();
}

bool ProfileMeter::Installed() const {
    for (const auto& redirect : redirects_)
        if (redirect->Installed()) return true;
    return false;
}

uint64_t ProfileMeter::SectionReads() const { return g_meter.sections; }
uint64_t ProfileMeter::ListReads() const { return g_meter.lists; }
uint64_t ProfileMeter::ValueReads() const { return g_meter.values; }
uint64_t ProfileMeter::LargestFile() const { return g_meter.largest; }
uint64_t ProfileMeter::BytesRead() const { return g_meter.bytesRead; }

}  // namespace testing_support
