// How often this program's own code calls Sleep and how long those calls
// take: the editor's button swap waits 10 ms on purpose, and a figure is
// only understood once that share is known.  Works by pointing the
// program's import of Sleep at a counting wrapper while the meter lives.
#pragma once
#include <windows.h>

#include "tests/support/import_hook.h"

class SleepMeter {
public:
    SleepMeter();
    SleepMeter(const SleepMeter&) = delete;
    SleepMeter& operator=(const SleepMeter&) = delete;

    // False when the program imports no Sleep to redirect.
    bool Installed() const { return redirect_.Installed(); }
    void Reset();
    int Calls() const;
    double Milliseconds() const;

private:
    testing_support::ImportRedirect redirect_;
};
