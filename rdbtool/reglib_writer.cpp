#include "rdbtool/reglib_writer.h"

#include <memory>

#include "core/little_endian.h"
#include "rules/rule_storage.h"

namespace {

void AppendText(std::vector<uint8_t>& data, const std::string& text) {
    data.insert(data.end(), text.begin(), text.end());
    data.push_back(0);
}

bool WriteStream(RuleStorage& storage, const char* name, const std::vector<uint8_t>& bytes) {
    std::unique_ptr<RuleStream> stream = storage.OpenStream(name);
    if (!stream) return false;
    const uint32_t size = static_cast<uint32_t>(bytes.size());
    if (size != 0 && !stream->Write(bytes.data(), size)) return false;
    return stream->Truncate(size);
}

}  // namespace

std::vector<uint8_t> EncodeRegLib(const RuleLibrary& library) {
    std::vector<uint8_t> data;
    for (const LibraryRule& rule : library.rules) {
        AppendText(data, rule.category);
        AppendText(data, rule.displayName);
        AppendText(data, rule.keyPath);
        AppendText(data, rule.valuePattern);
        AppendText(data, std::to_string(rule.number));
        data.push_back(library.separator);
    }
    data.push_back(0);
    return data;
}

RegInfo RegInfoFor(const RuleLibrary& library, const std::vector<uint8_t>& regLib) {
    return RegInfo{static_cast<uint32_t>(library.rules.size()), static_cast<uint32_t>(regLib.size())};
}

std::vector<uint8_t> EncodeRegInfo(const RegInfo& info) {
    std::vector<uint8_t> bytes(8);
    PutLe32(&bytes[0], info.count);
    PutLe32(&bytes[4], info.size);
    return bytes;
}

bool WriteRuleLibrary(const std::wstring& path, const RuleLibrary& library) {
    const std::vector<uint8_t> regLib = EncodeRegLib(library);
    const std::vector<uint8_t> regInfo = EncodeRegInfo(RegInfoFor(library, regLib));
    RuleStorage storage;
    if (!storage.OpenFile(path.c_str(), false)) return false;
    return WriteStream(storage, "REGINFO", regInfo) && WriteStream(storage, "REGLIB", regLib);
}
