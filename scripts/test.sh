#!/bin/bash
# Sets up what is missing, builds everything for 32-bit Windows, runs every
# test under Wine, then the portable core's sanitizer tests and a short fuzz
# run natively, once as 64-bit and once as 32-bit code (where size
# arithmetic wraps as it does in the plug-in).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/setup.sh

cmake --preset win32 >/dev/null
cmake --build --preset win32
status=0
ctest --preset win32 || status=$?

for preset in native native32; do
    cmake --preset $preset >/dev/null
    cmake --build --preset $preset
    ctest --preset $preset || status=$?
done

exit $status
