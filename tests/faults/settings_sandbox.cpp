#include "tests/faults/settings_sandbox.h"

#include <windows.h>

#include "tests/support/plugin_library.h"
#include "tests/support/test_files.h"

using namespace testing_support;

SettingsSandbox::SettingsSandbox() : m_folder(SettingsFolder()) {
    m_aside = m_folder + L".fault-run-" + std::to_wstring(::GetCurrentProcessId());
    if (FileExists(m_folder)) {
        if (!::MoveFileW(m_folder.c_str(), m_aside.c_str())) return;
        m_bMoved = true;
    }
    const std::wstring vendor = m_folder.substr(0, m_folder.rfind(L'\\'));
    ::CreateDirectoryW(vendor.c_str(), nullptr);
    m_bReady = ::CreateDirectoryW(m_folder.c_str(), nullptr) != 0;
}

SettingsSandbox::~SettingsSandbox() {
    if (!m_bMoved && !m_bReady) return;
    RemoveTree(m_folder);
    if (m_bMoved) ::MoveFileW(m_aside.c_str(), m_folder.c_str());
}
