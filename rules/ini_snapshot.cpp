#include "rules/ini_snapshot.h"

#include <windows.h>

#include "win/raii.h"

namespace {

// The profile functions of some systems parse a file written in the last two
// seconds anew on every call (its time may not yet tell a later change
// apart): one call per section would parse the whole copy each time.  The
// copies are dated an hour back; their names are new, so no older copy can
// be mistaken for one.
const ULONGLONG kBackdating = 3600ull * 10000000ull;

bool WriteAll(HANDLE file, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        if (!::WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote, nullptr) ||
            wrote == 0)
            return false;
        done += wrote;
    }
    return true;
}

bool DateBack(HANDLE file) {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time;
    time.LowPart = now.dwLowDateTime;
    time.HighPart = now.dwHighDateTime;
    time.QuadPart -= kBackdating;
    FILETIME then = {time.LowPart, time.HighPart};
    return ::SetFileTime(file, nullptr, nullptr, &then) != FALSE;
}

// A new file in `folder` holding `mark` and `bytes`; empty on failure.
std::string WritePiece(const std::string& folder, std::string_view mark, std::string_view bytes) {
    char name[MAX_PATH] = "";
    if (!::GetTempFileNameA(folder.c_str(), "vtp", 0, name)) return std::string();
    bool written = false;
    {
        UniqueFile file(::CreateFileA(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        written = file && WriteAll(file.get(), mark) && WriteAll(file.get(), bytes) && DateBack(file.get());
    }
    if (written) return name;
    ::DeleteFileA(name);
    return std::string();
}

// The byte-order mark the profile functions read the text by, and the size
// of its characters' units.
size_t MarkLength(std::string_view bytes, size_t& unit, bool& bigEndian) {
    unit = 1;
    bigEndian = false;
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return 3;
    if (bytes.size() >= 2 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")) {
        unit = 2;
        bigEndian = bytes[0] == '\xFE';
        return 2;
    }
    return 0;
}

}  // namespace

IniPieces SplitIniPieces(std::string_view bytes, size_t sectionsPerPiece, size_t maxSections) {
    size_t unit = 1;
    bool bigEndian = false;
    const size_t mark = MarkLength(bytes, unit, bigEndian);
    auto at = [&](size_t offset) -> unsigned {
        if (unit == 1) return static_cast<unsigned char>(bytes[offset]);
        const unsigned a = static_cast<unsigned char>(bytes[offset]), b = static_cast<unsigned char>(bytes[offset + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };

    IniPieces pieces;
    pieces.starts.push_back(0);
    pieces.end = bytes.size();
    size_t sections = 0, inPiece = 0;
    bool lastLineAscii = true;
    for (size_t line = mark; line + unit <= bytes.size();) {
        size_t next = line;
        bool ascii = true, closes = false;
        while (next + unit <= bytes.size()) {
            const unsigned c = at(next);
            next += unit;
            if (c == '\n') break;
            ascii = ascii && c < 0x80;
            closes = closes || c == ']';
        }
        // A section line, and one that no code page or trimming reads otherwise.
        if (at(line) == '[' && closes && ascii && lastLineAscii) {
            if (sections == maxSections) {
                pieces.end = line;
                break;
            }
            ++sections;
            if (sectionsPerPiece && inPiece == sectionsPerPiece && line > mark) {
                pieces.starts.push_back(line);
                inPiece = 0;
            }
            ++inPiece;
        }
        lastLineAscii = ascii;
        line = next;
    }
    return pieces;
}

IniSnapshot::IniSnapshot(const char* path, std::string_view bytes, size_t sectionsPerPiece, size_t maxSections) {
    std::string folder(path);
    const size_t slash = folder.find_last_of("\\/");
    if (slash == std::string::npos) return;
    folder.resize(slash);
    size_t unit = 1;
    bool bigEndian = false;
    const std::string_view mark = bytes.substr(0, MarkLength(bytes, unit, bigEndian));
    const IniPieces pieces = SplitIniPieces(bytes, sectionsPerPiece, maxSections);
    for (size_t i = 0; i < pieces.starts.size(); ++i) {
        const size_t start = pieces.starts[i];
        const size_t end = i + 1 < pieces.starts.size() ? pieces.starts[i + 1] : pieces.end;
        // The first piece carries the mark among its bytes.
        const std::string file = WritePiece(folder, start == 0 ? std::string_view() : mark,
                                            bytes.substr(start, end - start));
        if (file.empty()) {
            Remove();
            return;
        }
        files_.push_back(file);
    }
}

IniSnapshot::~IniSnapshot() { Remove(); }

void IniSnapshot::Remove() {
    for (const std::string& file : files_) {
        // All three names null: the documented way to flush the cache of a file.
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
        ::DeleteFileA(file.c_str());
    }
    files_.clear();
}
