// Helpers of the build tool's tests: sources in memory, packed into files
// of a scratch folder, and the streams of such files.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_files.h"
#include "rdbtool/database_files.h"
#include "rdbtool/source_parser.h"
#include "rdbtool/stream_bytes.h"

namespace tool_testing {

inline std::wstring SourceTree() { return testing_support::FromUnixPath(VTPS_SOURCE_DIR_UNIX); }

// Parses a source that must be valid.
inline void Parse(const std::string& text, RdbSource& source) {
    std::vector<SourceMessage> warnings;
    SourceMessage error;
    ASSERT_TRUE(ParseSource(text, source, warnings, error)) << "line " << error.line << ": " << error.text;
}

// The error of a source that must be refused.
inline SourceMessage ParseError(const std::string& text) {
    RdbSource source;
    std::vector<SourceMessage> warnings;
    SourceMessage error;
    EXPECT_FALSE(ParseSource(text, source, warnings, error)) << text;
    return error;
}

inline void Pack(const std::string& text, const std::wstring& path) {
    RdbSource source;
    Parse(text, source);
    std::string error;
    ASSERT_TRUE(WriteDatabaseFile(path, source, error)) << error;
}

// The deciphered streams of a database file of the kind.
inline std::vector<std::vector<uint8_t>> Streams(const std::wstring& path, RdbKind kind) {
    std::vector<std::vector<uint8_t>> streams;
    EXPECT_TRUE(ReadWholeStreams(path, DatabaseStreamNames(kind), streams));
    return streams;
}

}  // namespace tool_testing
