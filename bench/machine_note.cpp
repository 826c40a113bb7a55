#include "machine_note.h"

#include <windows.h>

#include <ctime>

#include "rdbtool/file_bytes.h"

namespace {

std::string WineVersion() {
    typedef const char*(CDECL * WineGetVersion)();
    auto get = reinterpret_cast<WineGetVersion>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"));
    return get ? std::string("Wine ") + get() : std::string("not Wine");
}

}  // namespace

std::string MachineLine() {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    char date[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M", std::localtime(&now));
    return std::to_string(info.dwNumberOfProcessors) + " processors, " + WineVersion() + ", " + date;
}

std::string LoadAverage() {
    std::string text;
    if (!ReadFileBytes(L"Z:\\proc\\loadavg", text) || text.empty()) return "unknown";
    // "0.63 1.90 2.46 1/234 5678": the first three fields.
    size_t end = std::string::npos;
    for (size_t from = 0, field = 0; field < 3; ++field, from = end + 1)
        if ((end = text.find(' ', from)) == std::string::npos) break;
    return text.substr(0, end);
}
