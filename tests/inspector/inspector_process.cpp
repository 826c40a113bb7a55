#include "tests/inspector/inspector_process.h"

#include <gtest/gtest.h>

#include <memory>

#include "rules/rule_storage.h"
#include "rdbtool/stream_bytes.h"

namespace inspector_testing {

InspectRun RunInspect(const std::wstring& arguments, const testing_support::ScratchDir& folder) {
    const std::wstring command = Quoted(testing_support::FromUnixPath(VTPS_INSPECT_UNIX)) + L" " + arguments;
    InspectRun run = testing_support::RunProgram(command, folder.Path(), 120000);
    if (!run.started) ADD_FAILURE() << "VtPsInspect does not start: " << run.startError;
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
