#include "rdbtool/dump.h"

#include <windows.h>

#include "rdbtool/canonical_dump.h"
#include "rdbtool/database_files.h"
#include "rdbtool/source_printer.h"
#include "rdbtool/text_codec.h"

namespace {
const uint32_t kLibraryCodePage = 1252;  // rule libraries hold no wide text to tell by
}

bool DumpDatabaseFile(const std::wstring& path, uint32_t codePage, DumpResult& result, std::string& error) {
    result = DumpResult();
    if (codePage != 0 && !IsAnsiCodePage(codePage)) {
        error = "code page " + std::to_string(codePage) + " is not an ANSI code page here";
        return false;
    }
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = "cannot find the file";
        return false;
    }
    RdbKind kind;
    std::vector<std::vector<uint8_t>> streams;
    if (!ReadDatabaseStreams(path, kind, streams, error)) return false;
    // The usual file, as packing writes it, goes the quick way.
    if (kind == RdbKind::kCategories &&
        DumpCanonicalRegDefine(streams[0], codePage, result.text, result.codePage)) {
        result.canonical = true;
        return true;
    }
    RdbSource source;
    ParseDatabaseStreams(kind, streams, source, result.canonical);
    if (codePage == 0)
        codePage = (source.kind == RdbKind::kCategories) ? GuessCodePage(source.database) : kLibraryCodePage;
    source.codePage = codePage;
    result.codePage = codePage;
    result.text = PrintSource(source);
    if (!result.canonical)
        result.warnings.push_back(
            "the file's streams are not as this tool writes them (padding, lengths, counts or trailing data): "
            "packing the dump gives the same rules but not the same bytes");
    return true;
}
