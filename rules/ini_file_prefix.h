// The part of a profile file that is read: the whole file up to a size
// limit, else its whole lines within the limit.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The length of `bytes` up to and including its last line end: "\n", or in
// text with a UTF-16 byte-order mark the two bytes of a line feed at an even
// offset.  0 when no line ends within them.
size_t WholeLinesLength(std::string_view bytes);

enum class FilePrefixRead {
    kMissing,  // no such file
    kRead,     // bytes holds the file, or its whole lines within the limit
    kFailed,   // the file could not be read
};
// Reads at most `limit` bytes of the file; when the file is longer, bytes
// ends with the last whole line within the limit and `cut` is set.  Never
// holds more than `limit` bytes of the file.
FilePrefixRead ReadFilePrefix(const char* path, uint64_t limit, std::string& bytes, bool& cut);
