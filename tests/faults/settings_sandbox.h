// The per-user settings folder of the plug-in, lent to a fault run: the
// user's own folder is moved aside for the run and put back afterwards, so
// that the run works on its own files and the user's survive it.
#pragma once
#include <string>

class SettingsSandbox {
public:
    SettingsSandbox();
    ~SettingsSandbox();  // removes the run's folder, puts the user's back
    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;

    // False when the user's folder could not be moved aside; nothing may
    // then be written there.
    bool Ready() const { return m_bReady; }
    const std::wstring& Folder() const { return m_folder; }  // ...\Veltrane\Pestrol

private:
    std::wstring m_folder;
    std::wstring m_aside;
    bool m_bMoved = false;
    bool m_bReady = false;
};
