// Whole-file writes for ASSERT_TRUE / EXPECT_TRUE: a failure names the file
// and the system's error.
#pragma once
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/support/test_files.h"

namespace testing_support {

inline ::testing::AssertionResult Written(const std::wstring& path, const std::string& bytes) {
    if (WriteBytes(path, bytes)) return ::testing::AssertionSuccess();
    const DWORD error = ::GetLastError();
    return ::testing::AssertionFailure() << ::testing::PrintToString(path) << ", error " << error;
}

}  // namespace testing_support
