// A private copy of a profile file for the profile functions to read: they
// cannot stop at a byte count, so they are given only the bytes the reader
// takes, and files nobody writes while their sections are read one by one.
//
// Each call for a section searches the file's sections from its first, so
// the copy is made in pieces of a bounded number of sections: a piece
// starts at a section line no reading can take otherwise ("[" first, a "]"
// in it, only ASCII there and on the line before), and carries the file's
// byte-order mark.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Where the pieces of `bytes` start (0 first): each after about
// sectionsPerPiece section lines, 0 meaning one piece.  The text ends
// before its (maxSections + 1)-th such section line.
struct IniPieces {
    std::vector<size_t> starts;
    size_t end = 0;
};
IniPieces SplitIniPieces(std::string_view bytes, size_t sectionsPerPiece, size_t maxSections);

class IniSnapshot {
public:
    // Writes the pieces of `bytes` beside `path`; Files() is empty when
    // that failed.
    IniSnapshot(const char* path, std::string_view bytes, size_t sectionsPerPiece, size_t maxSections);
    // Drops the profile functions' cached copies and deletes the files.
    ~IniSnapshot();
    IniSnapshot(const IniSnapshot&) = delete;
    IniSnapshot& operator=(const IniSnapshot&) = delete;

    const std::vector<std::string>& Files() const { return files_; }

private:
    void Remove();

    std::vector<std::string> files_;
};
