#include "tests/faults/fault_args.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

FaultArgs::FaultArgs(const std::vector<std::wstring>& args, const std::vector<std::wstring>& flags) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg.compare(0, 2, L"--") != 0) {
            m_error = L"unexpected argument '" + arg + L"'";
            return;
        }
        if (std::find(flags.begin(), flags.end(), arg) != flags.end()) {
            m_values[arg] = L"1";
        } else if (i + 1 < args.size()) {
            m_values[arg] = args[++i];
        } else {
            m_error = arg + L" needs a value";
            return;
        }
    }
}

std::wstring FaultArgs::Text(const std::wstring& name, const std::wstring& fallback) const {
    auto it = m_values.find(name);
    return it == m_values.end() ? fallback : it->second;
}

uint64_t FaultArgs::Number(const std::wstring& name, uint64_t fallback) {
    auto it = m_values.find(name);
    if (it == m_values.end()) return fallback;
    const std::wstring& text = it->second;
    wchar_t* end = nullptr;
    const bool hex = text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
    uint64_t value = std::wcstoull(text.c_str(), &end, hex ? 16 : 10);
    if (text.empty() || !end || *end != 0) {
        if (m_error.empty()) m_error = name + L" needs a number, not '" + text + L"'";
        return fallback;
    }
    return value;
}

std::vector<std::wstring> ProgramArguments() {
    std::vector<std::wstring> args;
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv) return args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    ::LocalFree(argv);
    return args;
}

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

int RunFaultProgram(const char* program, const char* usage, int (*worker)(FaultArgs&), int (*parent)(FaultArgs&)) {
    const int kExitSetup = 2;
    FaultArgs args(ProgramArguments(), {L"--help"});
    if (!args.Error().empty() || args.Has(L"--help")) {
        if (!args.Error().empty()) {
            const std::wstring& error = args.Error();
            std::fprintf(stderr, "%s: %ls\n", program, error.c_str());
        }
        std::printf("Usage: %s\n", usage);
        return args.Has(L"--help") && args.Error().empty() ? 0 : kExitSetup;
    }
    return args.Has(L"--worker") ? worker(args) : parent(args);
}
