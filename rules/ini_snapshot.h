// A private copy of a profile file for the profile functions to read: they
// cannot stop at a byte count, so they are given only the bytes the reader
// takes, and a file nobody writes while its sections are read one by one.
#pragma once
#include <string>
#include <string_view>

class IniSnapshot {
public:
    // Writes `bytes` to a new file beside `path`; Path() is empty when that
    // failed.
    IniSnapshot(const char* path, std::string_view bytes);
    // Drops the profile functions' cached copy and deletes the file.
    ~IniSnapshot();
    IniSnapshot(const IniSnapshot&) = delete;
    IniSnapshot& operator=(const IniSnapshot&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};
