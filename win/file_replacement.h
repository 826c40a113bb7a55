// Replacing the user's real settings files, each in one step: the new bytes
// go to a staging file beside the real file and are flushed, then the
// staging file is renamed over the real file.  A process killed at any
// moment leaves each real file wholly old or wholly new, never torn or
// missing.  A set of files is replaced all or nothing: when one replacement
// fails, those already done get their old bytes back.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "win/raii.h"

class FileReplacement {
public:
    FileReplacement() = default;
    ~FileReplacement();  // removes the staging and undo files still left
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Stages `size` bytes as the new content of `realPath`; false when the
    // staging file could not be written whole.
    bool StageBytes(const std::wstring& realPath, const BYTE* data, DWORD size);
    // Stages a copy of the file `source`.
    bool StageCopy(const std::wstring& realPath, const std::wstring& source);
    // Flushes every staged file, then replaces the real files in staging
    // order.  On a failure the files already replaced are put back as they
    // were, and the result is false.
    bool Commit();

private:
    struct Staged {
        std::wstring real;
        std::wstring stage;
        std::wstring undo;
        UniqueFile handle;  // the staging file, open until the commit
        bool existed = false;
        bool replaced = false;
    };
    static UniqueFile OpenStage(const std::wstring& path, DWORD disposition);
    bool Keep(Staged file, bool written);
    bool Replace(Staged& file, bool keepUndo);
    void Undo();

    std::vector<Staged> m_files;
};

// Removes what a killed replacement of any of `realPaths` left beside it:
// staging files are never read as settings, and undo files are only of use
// to the process that made them.  Files still open in another process stay.
void RemoveLeftoverStaging(const std::vector<std::wstring>& realPaths);
