// What kind of file the inspector was given, and its bytes as the checks
// need them: the deciphered streams of a rule database, or a blob's bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class FileKind {
    kMissing,
    kDirectory,
    kUnreadable,         // exists, but cannot be opened or is too large
    kCategoryDatabase,   // "OLE_ROOT" with "RegDefine"
    kRuleLibrary,        // "OLE_ROOT" with "REGINFO" and "REGLIB"
    kOtherCompoundFile,  // a compound file without those
    kSettingsBlob,
    kUnknown,
};

struct RuleFile {
    FileKind kind = FileKind::kUnknown;
    std::string detail;  // why it is not of a kind the inspector knows
    // A rule database whose compound file is damaged: a stream that is there
    // but cannot be read (its bytes stay empty).
    std::string unreadableStream;
    std::vector<uint8_t> regDefine, regInfo, regLib;  // a rule database's streams, deciphered
    std::vector<uint8_t> bytes;                       // a blob's bytes
};

// Reads the file for inspection.  A file that is no compound file is taken
// as a settings blob when its header parses or its first value is 24 (as
// every written blob's is), or always when `asBlob` is set.
RuleFile ReadRuleFile(const std::wstring& path, bool asBlob);

// Reads the deciphered streams of a compound file's "OLE_ROOT" storage
// through the plug-in's storage classes; a stream that is missing stays
// empty and its flag false, one that cannot be read whole is named in
// `unreadable`.  False when the file does not open.
struct RuleStreams {
    bool hasRegDefine = false, hasRegInfo = false, hasRegLib = false;
    std::vector<uint8_t> regDefine, regInfo, regLib;
    std::string unreadable;  // the first stream that is there but does not read
};
bool ReadRuleStreams(const std::wstring& path, RuleStreams& streams, std::string& problem);

// "category database", "rule library", "settings blob", ...
const char* KindName(FileKind kind);
// Whether the file name is that of the user database or its working copy.
bool IsUserDatabaseName(const std::wstring& path);
