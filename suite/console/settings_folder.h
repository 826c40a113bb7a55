// The registry protection's per-user settings folder, where the plug-in
// keeps the three settings files and their working copies
// (%APPDATA%\Veltrane\Pestrol), as the walk-through uses it: the user's
// own folder is put aside first, so that the walk starts from a fresh
// profile; the folder the walk filled can be removed for a fresh profile
// again; and at the end the walk's folder goes and the user's own comes back.
#pragma once
#include <string>

class SettingsFolder {
public:
    SettingsFolder();
    ~SettingsFolder() { Restore(); }
    SettingsFolder(const SettingsFolder&) = delete;
    SettingsFolder& operator=(const SettingsFolder&) = delete;

    // Puts the user's folder aside when there is one.  False, with the
    // reason, when the folder cannot be found or put aside.
    bool PutAside(std::wstring& problem);
    // Removes the folder and all in it: the next user starts fresh.
    bool Remove();
    // Removes the walk's folder and puts the user's back, once.  False when
    // the user's folder could not be put back (it then keeps its aside name).
    bool Restore();

    const std::wstring& Path() const { return path_; }
    std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }
    bool HadUserSettings() const { return putAside_; }
    const std::wstring& AsidePath() const { return aside_; }

private:
    std::wstring path_;
    std::wstring aside_;
    bool putAside_ = false;
    bool active_ = false;
};
