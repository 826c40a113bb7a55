// Whole-file reads and writes for sources and dumps.
#pragma once
#include <string>

bool ReadFileBytes(const std::wstring& path, std::string& bytes);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
