#include "suite/monitor/update_atom_watch.h"

namespace {
// Every Apply adds a reference; a runaway count must not keep us looping.
const unsigned kMaxDeletes = 65536;
}  // namespace

unsigned UpdateAtomWatch::Poll() {
    ATOM atom = ::GlobalFindAtomA(kUpdateAtomText);
    if (!m_bDeleteSeen) {
        const bool appeared = atom != 0 && !m_bPresent;
        m_bPresent = atom != 0;
        return appeared ? 1 : 0;
    }
    // Several Applies between two polls leave several references: remove
    // them all, so one appearance is logged once.
    unsigned deleted = 0;
    while (atom != 0 && deleted < kMaxDeletes) {
        ::GlobalDeleteAtom(atom);
        ++deleted;
        atom = ::GlobalFindAtomA(kUpdateAtomText);
    }
    return deleted;
}
