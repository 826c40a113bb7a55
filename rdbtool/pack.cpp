#include "rdbtool/pack.h"

#include "rdbtool/database_files.h"
#include "rdbtool/file_bytes.h"

bool PackSourceFile(const std::wstring& sourcePath, const std::wstring& outputPath,
                    std::vector<SourceMessage>& warnings, SourceMessage& error) {
    std::string text;
    if (!ReadFileBytes(sourcePath, text)) {
        error = SourceMessage{0, "cannot read the source file"};
        return false;
    }
    RdbSource source;
    if (!ParseSource(text, source, warnings, error)) return false;
    std::string writeError;
    if (!WriteDatabaseFile(outputPath, source, writeError)) {
        error = SourceMessage{0, writeError};
        return false;
    }
    return true;
}
