#include "suite/console/settings_transfer.h"

#include "win/raii.h"

#include <vector>

namespace {

std::wstring ErrorText(DWORD code) { return L"error " + std::to_wstring(code); }

bool ReadWholeFile(const std::wstring& path, std::vector<BYTE>& data, DWORD& error) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return false;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) {
        error = GetLastError();
        return false;
    }
    if (size.QuadPart > MAXDWORD / 2) {  // no settings block comes near this
        error = ERROR_FILE_TOO_LARGE;
        return false;
    }
    data.resize(static_cast<size_t>(size.QuadPart));
    if (data.empty()) return true;
    DWORD done = 0;
    if (!ReadFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &done, nullptr)) {
        error = GetLastError();
        return false;
    }
    if (done != data.size()) {  // the file shrank while being read
        error = ERROR_HANDLE_EOF;
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::wstring& path, const std::vector<BYTE>& data, DWORD& error) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return false;
    }
    DWORD done = 0;
    if (!data.empty() &&
        (!WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &done, nullptr) || done != data.size())) {
        error = GetLastError();
        return false;
    }
    return true;
}

}  // namespace

TransferResult ExportSettings(IProductOption& option, const std::wstring& file) {
    TransferResult result;
    DWORD size = 0;
    option.Export(nullptr, &size);  // answers 0 by design; only the size counts
    if (size == 0) {
        result.error = L"the plug-in reported no settings to export";
        return result;
    }
    std::vector<BYTE> blob(size);
    DWORD copied = size;
    if (!option.Export(blob.data(), &copied)) {
        result.error = L"the plug-in could not export its settings";
        return result;
    }
    // The files behind the block changed between the two calls: the copy
    // is not the block that was measured.
    if (copied != size) {
        result.error = L"the settings changed during the export; try again";
        return result;
    }
    DWORD error = 0;
    if (!WriteWholeFile(file, blob, error)) {
        result.error = L"cannot write " + file + L" (" + ErrorText(error) + L")";
        return result;
    }
    result.ok = true;
    result.bytes = size;
    return result;
}

TransferResult ImportSettings(IProductOption& option, const std::wstring& file) {
    TransferResult result;
    std::vector<BYTE> blob;
    DWORD error = 0;
    if (!ReadWholeFile(file, blob, error)) {
        result.error = L"cannot read " + file + L" (" + ErrorText(error) + L")";
        return result;
    }
    if (!option.Import(blob.data(), static_cast<DWORD>(blob.size()))) {
        result.error = L"import rejected: " + file + L" is not a settings block the plug-in accepts";
        return result;
    }
    result.ok = true;
    result.bytes = static_cast<DWORD>(blob.size());
    return result;
}
