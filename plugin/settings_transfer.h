// Moving the three settings files: working copies on Load, back on Apply,
// as one settings blob on Export and Import.
#pragma once
#include <windows.h>

// Builds the six paths, copies each real file over its working copy and
// merges the rule libraries.
void LoadSettings();
// When an editor was confirmed: replaces the real files with the working
// copies, all or none, and then adds the update atom.  False when a real file
// could not be replaced: then every real file keeps its old bytes and no atom
// is added.
bool ApplyWorkingCopies();

extern const char kUpdateAtomName[];  // "VtPstl_NsUpdate"

// The blob of the three real files.  With a null buffer stores the size and
// returns false; else copies the blob into buffer, stores its size and
// returns true.  Never copies more than the size last stored (nor than a
// nonzero *size on entry): when the blob grew since, stores the new size and
// returns false without copying.  (The caller runs Load first.)
bool ExportSettings(BYTE* buffer, DWORD* size);
// Validates the blob, then replaces the three real files with its parts, all
// or none.  False when the blob is empty or malformed, or a part could not
// be written: then every real file keeps its old bytes.
bool ImportSettings(const BYTE* blob, DWORD size);
