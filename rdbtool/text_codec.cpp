#include "rdbtool/text_codec.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <unordered_map>

#include "win/ansi_text.h"

bool IsAnsiCodePage(uint32_t codePage) {
    // UTF-7/UTF-8 and the stateful ISO-2022 family are not ANSI code pages.
    if (codePage == CP_ACP || codePage == CP_OEMCP || codePage >= 50000) return false;
    CPINFO info;
    // Nor are the EBCDIC ones: the source format writes escapes and plain
    // ASCII as the ASCII bytes, which would not pack back there.
    return ::GetCPInfo(codePage, &info) && info.MaxCharSize <= 2 && CodePageKeepsAscii(codePage);
}

bool Utf8ToWide(const std::string& utf8, std::wstring& wide) {
    return BytesToWide(utf8, CP_UTF8, MB_ERR_INVALID_CHARS, wide);
}

std::string WideToUtf8(const std::wstring& wide) { return ToUtf8(wide); }

namespace {

bool RawToWide(const std::string& ansi, uint32_t codePage, std::wstring& wide) {
    return BytesToWide(ansi, codePage, MB_ERR_INVALID_CHARS, wide);
}

bool RawToAnsi(const std::wstring& wide, uint32_t codePage, std::string& ansi) {
    bool usedDefault = false;
    return WideToBytes(wide, codePage, WC_NO_BEST_FIT_CHARS, ansi, &usedDefault) && !usedDefault;
}

bool IsAscii(const std::wstring& text) {
    for (wchar_t c : text)
        if (static_cast<uint16_t>(c) >= 0x80) return false;
    return true;
}

bool IsAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<uint8_t>(c) >= 0x80) return false;
    return true;
}

const uint32_t kSetBit = 0x80000000u, kKeepsBit = 0x40000000u, kCodePageBits = 0x3FFFFFFFu;

// A code page and its answer in one word; 0 (nothing) for the rare number
// too large to fit.
uint32_t Remembered(uint32_t codePage, bool keeps) {
    if (codePage > kCodePageBits) return 0;
    return kSetBit | (keeps ? kKeepsBit : 0) | codePage;
}

}  // namespace

// The system is asked once per code page.  The last answer is kept apart
// from the table, without the lock: a dump asks about one code page some
// 150,000 times.
bool CodePageKeepsAscii(uint32_t codePage) {
    static std::atomic<uint32_t> last{0};  // Remembered(): 0 while empty
    const uint32_t seen = last.load(std::memory_order_relaxed);
    if (seen != 0 && (seen & kCodePageBits) == codePage) return (seen & kKeepsBit) != 0;
    static std::mutex lock;
    static std::unordered_map<uint32_t, bool> known;
    std::lock_guard<std::mutex> hold(lock);
    auto found = known.find(codePage);
    if (found != known.end()) {
        last.store(Remembered(codePage, found->second), std::memory_order_relaxed);
        return found->second;
    }
    std::wstring units;
    std::string bytes;
    for (unsigned c = 0; c < 0x80; ++c) {
        units += static_cast<wchar_t>(c);
        bytes += static_cast<char>(c);
    }
    std::string ansi;
    std::wstring wide;
    const bool keeps = RawToAnsi(units, codePage, ansi) && ansi == bytes && RawToWide(bytes, codePage, wide) &&
                       wide == units;
    known.emplace(codePage, keeps);
    last.store(Remembered(codePage, keeps), std::memory_order_relaxed);
    return keeps;
}

// Both directions insist on the round trip: a conversion that does not come
// back unchanged would make a packed database differ from its source.  Plain
// ASCII in a code page that keeps it is its own conversion; a dump of a large
// database would otherwise spend most of its time asking the system.
bool WideToCodePage(const std::wstring& wide, uint32_t codePage, std::string& ansi) {
    if (IsAscii(wide) && CodePageKeepsAscii(codePage)) {
        ansi.assign(wide.begin(), wide.end());
        return true;
    }
    std::wstring back;
    return RawToAnsi(wide, codePage, ansi) && RawToWide(ansi, codePage, back) && back == wide;
}

bool CodePageToWide(const std::string& ansi, uint32_t codePage, std::wstring& wide) {
    if (IsAscii(ansi) && CodePageKeepsAscii(codePage)) {
        wide.assign(ansi.begin(), ansi.end());
        return true;
    }
    std::string back;
    return RawToWide(ansi, codePage, wide) && RawToAnsi(wide, codePage, back) && back == ansi;
}

// Names the first character that the code page cannot hold.
std::string DescribeCodePageMiss(const std::wstring& wide, uint32_t codePage) {
    for (size_t i = 0; i < wide.size(); ++i) {
        size_t n = (wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size()) ? 2 : 1;
        std::string ansi;
        if (!WideToCodePage(wide.substr(i, n), codePage, ansi)) {
            unsigned cp = wide[i];
            if (n == 2) cp = 0x10000 + ((wide[i] - 0xD800u) << 10) + (wide[i + 1] - 0xDC00u);
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", cp);
            return std::string(code) + " has no exact form in code page " + std::to_string(codePage) +
                   " (give the narrow text with `xHH bytes)";
        }
        i += n - 1;
    }
    return "text has no exact form in code page " + std::to_string(codePage);
}
