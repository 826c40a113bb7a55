#!/bin/sh
# Prepares a private Wine prefix for headless tests and keeps one wineserver
# warm for the run.  Usage: wine-prefix.sh PREFIX [start|stop]
set -e
prefix=$1
action=${2:-start}
export WINEPREFIX="$prefix" WINEDEBUG=-all
if [ "$action" = stop ]; then
    wineserver -k 2>/dev/null || true
    # A dying server must be gone before the next start talks to it.
    wineserver -w 2>/dev/null || true
    exit 0
fi
if [ ! -f "$prefix/.vtps-ready" ]; then
    mkdir -p "$prefix"
    wineboot -i >/dev/null 2>&1 || true
    # Debian's Wine does not find its own fonts (Tahoma, Marlett): copy them
    # in, so dialogs are laid out and measured with the fonts they name.
    if [ -d /usr/share/wine/fonts ]; then
        cp -n /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    # Null graphics driver: windows and dialogs work without a display.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    # The desktop process keeps the driver it started with: restart the server.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    touch "$prefix/.vtps-ready"
fi
# A persistent server saves a cold start for every test process.
wineserver -p </dev/null >/dev/null 2>&1 || true
