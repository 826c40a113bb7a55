// Watches for the global atom by which the settings plug-in announces that
// it applied new settings.
#pragma once
#include <windows.h>

// The atom's name as the plug-in adds it.
const char kUpdateAtomText[] = "VtPstl_NsUpdate";

class UpdateAtomWatch {
public:
    // deleteSeen: remove the atom once seen, so that the next Apply, which
    // adds it again, is seen again.  Otherwise only its appearance after an
    // absence counts.
    explicit UpdateAtomWatch(bool deleteSeen) : m_bDeleteSeen(deleteSeen) {}

    // Looks once.  Returns 0 when nothing new was seen; otherwise the number
    // of references deleted (at least 1), or 1 when the atom is kept.
    unsigned Poll();

private:
    bool m_bDeleteSeen;
    bool m_bPresent = false;  // kept atom seen at the last poll
};
