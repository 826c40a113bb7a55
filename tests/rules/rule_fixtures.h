// Building categories and items for the database tests, and raw access to a
// compound file's streams that bypasses the code under test.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/rule_records.h"
#include "win/raii.h"

inline RuleCategory MakeCategory(int32_t id, const char* name) {
    RuleCategory category = {};
    category.id = id;
    std::strncpy(category.name, name, sizeof(category.name) - 1);
    std::strcpy(category.description, "description");
    std::strcpy(category.extraText, "extra");
    category.action = 1;
    category.mode = 6;
    category.option3 = 3;
    category.option4 = 4;
    category.adminOnly = 1;
    for (size_t i = 0; name[i] && i < 63; ++i) category.wideName[i] = static_cast<utf16_t>(name[i]);
    category.wideDescription[0] = L'D';
    category.wideExtraText[0] = L'E';
    return category;
}

inline RuleItem MakeItem(uint32_t root, const char* keyPath, const char* name, uint32_t flags) {
    RuleItem item = {};
    item.root = root;
    std::strncpy(item.keyPath, keyPath, sizeof(item.keyPath) - 1);
    std::strncpy(item.name, name, sizeof(item.name) - 1);
    item.flags = flags;
    for (size_t i = 0; name[i] && i < 255; ++i) item.wideName[i] = static_cast<utf16_t>(name[i]);
    return item;
}

// Item names of a category's list, in list order.
inline std::vector<std::string> ItemNames(const RuleCategory& category) {
    std::vector<std::string> names;
    for (const RuleItem* item = category.items; item; item = item->next) names.emplace_back(item->name);
    return names;
}

// The raw (still enciphered) bytes of a stream in the "OLE_ROOT" sub-storage.
inline bool ReadRawStream(const std::wstring& path, const wchar_t* streamName, std::string& bytes) {
    ComPtr<IStorage> root, sub;
    ComPtr<IStream> stream;
    const DWORD mode = STGM_SHARE_EXCLUSIVE | STGM_READ;
    if (FAILED(::StgOpenStorage(path.c_str(), nullptr, mode, nullptr, 0, root.put()))) return false;
    if (FAILED(root->OpenStorage(L"OLE_ROOT", nullptr, mode, nullptr, 0, sub.put()))) return false;
    if (FAILED(sub->OpenStream(streamName, nullptr, mode, 0, stream.put()))) return false;
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    bytes.assign(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    ULONG got = 0;
    return bytes.empty() || (SUCCEEDED(stream->Read(&bytes[0], static_cast<ULONG>(bytes.size()), &got)) &&
                             got == bytes.size());
}

// Replaces the bytes of a stream in the "OLE_ROOT" sub-storage as they are.
inline bool WriteRawStream(const std::wstring& path, const wchar_t* streamName, const std::string& bytes) {
    ComPtr<IStorage> root, sub;
    ComPtr<IStream> stream;
    const DWORD mode = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
    if (FAILED(::StgOpenStorage(path.c_str(), nullptr, mode, nullptr, 0, root.put()))) return false;
    if (FAILED(root->OpenStorage(L"OLE_ROOT", nullptr, mode, nullptr, 0, sub.put()))) return false;
    if (FAILED(sub->CreateStream(streamName, mode | STGM_CREATE, 0, 0, stream.put()))) return false;
    ULONG written = 0;
    return bytes.empty() || (SUCCEEDED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)) &&
                             written == bytes.size());
}
