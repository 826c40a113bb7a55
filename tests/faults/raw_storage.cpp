#include "tests/faults/raw_storage.h"

#include <objbase.h>

#include "core/rc4.h"
#include "win/raii.h"

namespace {

const DWORD kMode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
const wchar_t kSubStorage[] = L"OLE_ROOT";

bool OpenSub(const std::wstring& path, ComPtr<IStorage>& root, ComPtr<IStorage>& sub) {
    if (FAILED(::StgOpenStorage(path.c_str(), nullptr, kMode, nullptr, 0, root.put()))) return false;
    return SUCCEEDED(root->OpenStorage(kSubStorage, nullptr, kMode, nullptr, 0, sub.put()));
}

}  // namespace

bool ReadRawStream(const std::wstring& path, const wchar_t* stream, std::vector<uint8_t>& bytes) {
    ComPtr<IStorage> root, sub;
    ComPtr<IStream> data;
    if (!OpenSub(path, root, sub) || FAILED(sub->OpenStream(stream, nullptr, kMode, 0, data.put()))) return false;
    STATSTG stat = {};
    if (FAILED(data->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > 64u * 1024 * 1024) return false;
    bytes.assign(static_cast<size_t>(stat.cbSize.QuadPart), 0);
    ULONG got = 0;
    return bytes.empty() || (SUCCEEDED(data->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got)) &&
                             got == bytes.size());
}

bool WriteRawStream(const std::wstring& path, const wchar_t* stream, const std::vector<uint8_t>& bytes) {
    ComPtr<IStorage> root, sub;
    ComPtr<IStream> data;
    if (!OpenSub(path, root, sub)) return false;
    if (FAILED(sub->CreateStream(stream, kMode | STGM_CREATE, 0, 0, data.put()))) return false;
    ULONG wrote = 0;
    if (!bytes.empty() &&
        (FAILED(data->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &wrote)) || wrote != bytes.size()))
        return false;
    ULARGE_INTEGER size;
    size.QuadPart = bytes.size();
    return SUCCEEDED(data->SetSize(size));
}

bool DestroyRawElement(const std::wstring& path, const wchar_t* name) {
    ComPtr<IStorage> root, sub;
    return OpenSub(path, root, sub) && SUCCEEDED(sub->DestroyElement(name));
}

bool ReplaceStreamWithStorage(const std::wstring& path, const wchar_t* stream) {
    ComPtr<IStorage> root, sub, inner;
    if (!OpenSub(path, root, sub)) return false;
    sub->DestroyElement(stream);
    return SUCCEEDED(sub->CreateStorage(stream, kMode | STGM_CREATE, 0, 0, inner.put()));
}

bool RenameSubStorage(const std::wstring& path, const wchar_t* newName) {
    ComPtr<IStorage> root;
    if (FAILED(::StgOpenStorage(path.c_str(), nullptr, kMode, nullptr, 0, root.put()))) return false;
    return SUCCEEDED(root->RenameElement(kSubStorage, newName));
}

void ApplyStreamCipher(std::vector<uint8_t>& bytes) {
    Rc4State state;
    Rc4Init(state, kRuleStreamKey, sizeof kRuleStreamKey);
    if (!bytes.empty()) Rc4Apply(state, bytes.data(), bytes.size());
}
