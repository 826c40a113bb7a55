#include "doctools/shothost/shot_request.h"

#include <cwchar>

namespace {

struct TargetName {
    const wchar_t* name;
    ShotTarget target;
};
constexpr TargetName kTargets[] = {
    {L"console", ShotTarget::kConsole},     {L"expert", ShotTarget::kExpert},
    {L"class-add", ShotTarget::kClassAdd},  {L"item-add", ShotTarget::kItemAdd},
    {L"hand-edit", ShotTarget::kHandEdit},  {L"add-entry", ShotTarget::kAddEntry},
};

// A whole decimal number; a shot held open for more than a day is a typo.
bool ParseSeconds(const std::wstring& text, unsigned& seconds) {
    if (text.empty() || text.size() > 5) return false;
    unsigned value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    if (value > 86400) return false;
    seconds = value;
    return true;
}

}  // namespace

const wchar_t* ShotUsage() {
    return L"ShotHost <console|expert|class-add|item-add|hand-edit|add-entry> "
           L"[--report FILE] [--seconds N] [--user-rules FILE]";
}

ShotRequest ParseShotRequest(const std::vector<std::wstring>& arguments) {
    ShotRequest request;
    // The report path read so far is kept: the error goes there too.
    auto Failed = [&request](const std::wstring& why) {
        request.error = why;
        return request;
    };
    bool haveTarget = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument.compare(0, 2, L"--") == 0) {
            if (i + 1 >= arguments.size()) return Failed(argument + L" needs a value");
            const std::wstring& value = arguments[++i];
            if (argument == L"--report") {
                request.reportPath = value;
            } else if (argument == L"--user-rules") {
                request.userRulesPath = value;
            } else if (argument == L"--seconds") {
                if (!ParseSeconds(value, request.seconds)) return Failed(L"bad number of seconds: " + value);
            } else {
                return Failed(L"unknown option " + argument);
            }
            continue;
        }
        if (haveTarget) return Failed(L"more than one window named: " + argument);
        bool known = false;
        for (const TargetName& entry : kTargets) {
            if (argument == entry.name) {
                request.target = entry.target;
                known = true;
            }
        }
        if (!known) return Failed(L"unknown window " + argument);
        haveTarget = true;
    }
    if (!haveTarget) return Failed(L"no window named");
    return request;
}
