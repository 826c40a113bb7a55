#include "inspector/command_line.h"

#include "rdbtool/text_codec.h"

bool CommandArgs::Has(const wchar_t* name) const { return Value(name) != nullptr; }

const std::wstring* CommandArgs::Value(const wchar_t* name) const {
    for (const auto& option : options)
        if (option.first == name) return &option.second;
    return nullptr;
}

CommandArgs ParseCommandArgs(const std::vector<std::wstring>& args, size_t first,
                             const std::vector<KnownOption>& options) {
    CommandArgs parsed;
    for (size_t i = first; i < args.size(); ++i) {
        const std::wstring& word = args[i];
        if (word == L"--help" || word == L"-h" || word == L"/?") {
            parsed.help = true;
            continue;
        }
        if (word.size() < 2 || word.compare(0, 2, L"--") != 0) {
            parsed.operands.push_back(word);
            continue;
        }
        const KnownOption* known = nullptr;
        for (const KnownOption& candidate : options)
            if (word == candidate.name) known = &candidate;
        if (known == nullptr) {
            if (parsed.error.empty()) parsed.error = "unknown option " + WideToUtf8(word);
            continue;
        }
        std::wstring value;
        if (known->takesValue) {
            if (i + 1 >= args.size()) {
                if (parsed.error.empty()) parsed.error = WideToUtf8(word) + " needs a value";
                continue;
            }
            value = args[++i];
        }
        parsed.options.emplace_back(word, value);
    }
    return parsed;
}
