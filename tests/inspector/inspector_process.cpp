#include "tests/inspector/inspector_process.h"

#include <gtest/gtest.h>

#include <memory>

#include "win/raii.h"
#include "rules/rule_storage.h"
#include "rdbtool/stream_bytes.h"

namespace inspector_testing {

namespace {

UniqueFile InheritableFile(const std::wstring& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

InspectRun RunInspect(const std::wstring& arguments, const testing_support::ScratchDir& folder) {
    InspectRun run;
    const std::wstring outPath = folder.File(L"stdout.txt"), errPath = folder.File(L"stderr.txt");
    {
        UniqueFile out = InheritableFile(outPath), err = InheritableFile(errPath);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out.get();
        startup.hStdError = err.get();
        std::wstring command = Quoted(testing_support::FromUnixPath(VTPS_INSPECT_UNIX)) + L" " + arguments;
        PROCESS_INFORMATION process = {};
        if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
            ADD_FAILURE() << "VtPsInspect does not start: " << ::GetLastError();
            return run;
        }
        UniqueHandle thread(process.hThread), child(process.hProcess);
        ::WaitForSingleObject(child.get(), 120000);
        ::GetExitCodeProcess(child.get(), &run.status);
    }
    run.out = testing_support::ReadBytes(outPath);
    run.err = testing_support::ReadBytes(errPath);
    return run;
}

bool WriteRuleStreams(const std::wstring& path,
                      const std::vector<std::pair<const char*, std::vector<uint8_t>>>& streams) {
    RuleStorage storage;
    if (!storage.OpenFile(path.c_str(), false)) return false;
    for (const auto& named : streams) {
        std::unique_ptr<RuleStream> stream = storage.OpenStream(named.first);
        const uint32_t size = static_cast<uint32_t>(named.second.size());
        if (!stream || (size != 0 && !stream->Write(named.second.data(), size)) || !stream->Truncate(size))
            return false;
    }
    return true;
}

std::vector<std::vector<uint8_t>> DatabaseStreams(const std::wstring& path) {
    std::vector<std::vector<uint8_t>> streams;
    if (ReadWholeStreams(path, {"RegDefine"}, streams)) return streams;
    EXPECT_TRUE(ReadWholeStreams(path, {"REGINFO", "REGLIB"}, streams)) << testing_support::Narrow(path);
    return streams;
}

}  // namespace inspector_testing
