#include "sleep_meter.h"

#include "stopwatch.h"

namespace {

typedef VOID(WINAPI* SleepFn)(DWORD);

SleepFn g_realSleep = nullptr;
int g_calls = 0;
double g_ms = 0;

VOID WINAPI CountingSleep(DWORD ms) {
    Stopwatch watch;
    g_realSleep(ms);
    g_ms += watch.Milliseconds();
    ++g_calls;
}

}  // namespace

SleepMeter::SleepMeter()
    : redirect_(::GetModuleHandleW(nullptr), "Sleep", reinterpret_cast<void*>(&CountingSleep)) {
    g_realSleep = reinterpret_cast<SleepFn>(redirect_.Original());
    Reset();
}

void SleepMeter::Reset() {
    g_calls = 0;
    g_ms = 0;
}

int SleepMeter::Calls() const { return g_calls; }

double SleepMeter::Milliseconds() const { return g_ms; }
