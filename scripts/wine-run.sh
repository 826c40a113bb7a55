#!/bin/sh
# Runs a Windows program under Wine in the build tree's private prefix.
# WINEPREFIX may be set by the caller; otherwise it is <build>/wineprefix.
here=$(cd "$(dirname "$0")/.." && pwd)
: "${WINEPREFIX:=${VTPS_BUILD_DIR:-$here/build}/wineprefix}"
: "${WINEDEBUG:=-all}"
export WINEPREFIX WINEDEBUG
exec wine "$@"
