// What a benchmark's figures depend on besides the code: the processors, the
// Wine version, the date, and the machine's load (Linux's load average, read
// through Wine's drive Z:), printed before and after the runs.
#pragma once
#include <string>

// "2 processors, Wine 8.0, 2026-12-09 00:10"
std::string MachineLine();
// "0.63 1.90 2.46" (1, 5 and 15 minutes), or "unknown" off Wine.
std::string LoadAverage();
