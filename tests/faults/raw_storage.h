// Direct access to a rule database's compound file, past the plug-in's own
// storage code: whole streams of the "OLE_ROOT" sub-storage read and
// written as they lie on disk (still enciphered), elements removed or
// renamed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

bool ReadRawStream(const std::wstring& path, const wchar_t* stream, std::vector<uint8_t>& bytes);
// Replaces the stream's content (creating the stream when missing).
bool WriteRawStream(const std::wstring& path, const wchar_t* stream, const std::vector<uint8_t>& bytes);
// Removes an element of the sub-storage.
bool DestroyRawElement(const std::wstring& path, const wchar_t* name);
// Puts an empty storage where the stream was.
bool ReplaceStreamWithStorage(const std::wstring& path, const wchar_t* stream);
// Renames the sub-storage itself, so the file has no "OLE_ROOT".
bool RenameSubStorage(const std::wstring& path, const wchar_t* newName);

// The rule streams' cipher, from the stream's first byte on (its own inverse).
void ApplyStreamCipher(std::vector<uint8_t>& bytes);
