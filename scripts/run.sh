#!/bin/bash
# Sets up what is missing, builds the suite folder and starts the options
# console with the plug-in: in a window when a display is present, otherwise
# headless (export, import, apply round trip) so it works on any machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32

export WINEPREFIX="$root/build/wineprefix-run"
export WINEDEBUG=-all
suite="$root/build/suite"
console="$suite/VtOptions.exe"
if [ -n "${DISPLAY:-}" ]; then
    [ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1
    exec wine "$console" "$@"
fi
# No display: a prefix with the null driver, and the console's headless mode.
scripts/wine-prefix.sh "$WINEPREFIX" start
trap 'scripts/wine-prefix.sh "$WINEPREFIX" stop' EXIT
blob="$root/build/settings-export.bin"
wine "$console" --title --load --export "Z:${blob//\//\\}" --import "Z:${blob//\//\\}" --apply "$@"
