#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "win/raii.h"
#include "rules/rule_storage.h"
#include "tests/support/child_process.h"
#include "tests/support/test_files.h"

namespace {

const DWORD kHoldMs = 1500;

// The helper program lies next to this test program.
std::wstring HelperPath() {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.rfind(L'\\') + 1) + L"rule_lock_holder.exe";
}

// Another process that holds `path` open for kHoldMs.
class Holder {
public:
    explicit Holder(const std::wstring& path) {
        const std::wstring readyName = L"vtps-lock-ready-" + std::to_wstring(::GetCurrentProcessId());
        m_ready.reset(::CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
        m_process.Start(L"\"" + HelperPath() + L"\" \"" + path + L"\" " + readyName + L" " + std::to_wstring(kHoldMs));
    }
    ~Holder() { m_process.WaitForExit(10000); }
    bool WaitReady() { return m_process.Started() && ::WaitForSingleObject(m_ready.get(), 10000) == WAIT_OBJECT_0; }
    // GetTickCount() of the helper just before it closed the file; 0 when it
    // could not open it.
    DWORD ClosedAt() {
        m_process.WaitForExit(10000);
        return m_process.Started() ? m_process.ExitCode() : 0;
    }

private:
    UniqueHandle m_ready;
    testing_support::ChildProcess m_process;
};

TEST(RuleLockTest, SecondProcessWaitsUntilTheHolderCloses) {
    testing_support::ScratchDir folder(L"rules");
    const std::wstring path = folder.File(L"QRegUser.rdb");
    Holder holder(path);
    ASSERT_TRUE(holder.WaitReady());

    RuleStorage storage;
    const bool opened = storage.OpenFile(path.c_str(), true);
    const DWORD openedAt = ::GetTickCount();
    storage.Close();

    const DWORD closedAt = holder.ClosedAt();
    ASSERT_NE(closedAt, 0u) << "the holder could not open the file";
    // The holder created the file and released it before signalling the lock.
    EXPECT_TRUE(opened);
    EXPECT_GE(static_cast<LONG>(openedAt - closedAt), 0);
}

TEST(RuleLockTest, PathInOtherLetterCaseDoesNotWait) {
    testing_support::ScratchDir folder(L"rules");
    Holder holder(folder.File(L"QRegUser.rdb"));
    ASSERT_TRUE(holder.WaitReady());

    // Same file, other lock name: no wait, and the file is still held.
    RuleStorage storage;
    const bool opened = storage.OpenFile(folder.File(L"qreguser.RDB").c_str(), true);
    const DWORD returnedAt = ::GetTickCount();
    storage.Close();

    const DWORD closedAt = holder.ClosedAt();
    ASSERT_NE(closedAt, 0u);
    EXPECT_FALSE(opened);
    EXPECT_LT(static_cast<LONG>(returnedAt - closedAt), 0);
}

}  // namespace
