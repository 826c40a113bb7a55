// The words after a command: operands, options with or without a value,
// and the request for help.
#pragma once
#include <string>
#include <vector>

struct KnownOption {
    const wchar_t* name;  // "--codepage"
    bool takesValue;
};

struct CommandArgs {
    std::vector<std::wstring> operands;
    std::vector<std::pair<std::wstring, std::wstring>> options;  // name, value
    bool help = false;
    std::string error;  // a bad option, for the usage message

    bool Has(const wchar_t* name) const;
    const std::wstring* Value(const wchar_t* name) const;
};

// Parses args[first...]: "--help", "-h" and "/?" ask for help; every other
// word that starts with "--" must be one of `options`.
CommandArgs ParseCommandArgs(const std::vector<std::wstring>& args, size_t first,
                             const std::vector<KnownOption>& options);
