#!/bin/bash
# Sets up what is missing, builds everything for 32-bit Windows, runs every
# test under Wine, then the portable core's sanitizer tests and a short fuzz
# run natively.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/setup.sh

cmake --preset win32 >/dev/null
cmake --build --preset win32
status=0
ctest --preset win32 || status=$?

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native || status=$?

exit $status
