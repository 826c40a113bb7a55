#!/bin/bash
# Runs a Windows program under Wine in the build tree's private prefix.
# WINEPREFIX may be set by the caller; otherwise it is <build>/wineprefix.
#
# The program's output goes through a file, not straight to our stdout:
# Wine's desktop and service processes started on the way inherit the
# program's standard handles and outlive it, and a pipe held open by them
# would keep CTest (or any reader) waiting for its end forever.
here=$(cd "$(dirname "$0")/.." && pwd)
: "${WINEPREFIX:=${VTPS_BUILD_DIR:-$here/build}/wineprefix}"
: "${WINEDEBUG:=-all}"
export WINEPREFIX WINEDEBUG
log=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$log"' EXIT
wine "$@" </dev/null >"$log" 2>&1
status=$?
cat "$log"
exit $status
