// Command lines of the fault programs: "--name value" pairs and flags.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class FaultArgs {
public:
    // `args` without the program name.  Names listed in `flags` take no value.
    FaultArgs(const std::vector<std::wstring>& args, const std::vector<std::wstring>& flags);

    bool Has(const std::wstring& name) const { return m_values.count(name) != 0; }
    std::wstring Text(const std::wstring& name, const std::wstring& fallback = std::wstring()) const;
    // Decimal or 0x-hexadecimal; `fallback` when absent.  A malformed number
    // is recorded as an error.
    uint64_t Number(const std::wstring& name, uint64_t fallback);
    const std::wstring& Error() const { return m_error; }

private:
    std::map<std::wstring, std::wstring> m_values;
    std::wstring m_error;
};

// The program's own arguments (without its name), from the command line.
std::vector<std::wstring> ProgramArguments();
// This program's full path.
std::wstring ProgramPath();

// The main of every fault program: usage for --help or bad arguments (exit 0
// or 2), else the worker (with --worker) or the parent run.
int RunFaultProgram(const char* program, const char* usage, int (*worker)(FaultArgs&), int (*parent)(FaultArgs&));
