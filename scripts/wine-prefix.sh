#!/bin/sh
# Prepares a private Wine prefix for headless tests and keeps one wineserver
# warm for the run.
# Usage: wine-prefix.sh PREFIX [start|stop] [--dpi N] [--cjk-font]
#   --dpi N      the screen scale of the prefix (Wine reads LogPixels when a
#                process starts; 96 is 100 %)
#   --cjk-font   the installed Chinese font (fonts-wqy-zenhei) stands in for
#                the faces the Chinese templates name, so their texts are
#                measured with real glyphs
# Both options count only when the prefix is made; a prefix is made once.
set -e
# Wine wants an absolute prefix path.
case $1 in /*) prefix=$1 ;; *) prefix=$(pwd)/$1 ;; esac
action=${2:-start}
if [ $# -ge 2 ]; then shift 2; else shift $#; fi
dpi=
cjk_font=0
while [ $# -gt 0 ]; do
    case $1 in
        --dpi) dpi=$2; shift 2 ;;
        --cjk-font) cjk_font=1; shift ;;
        *) echo "wine-prefix.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
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
    if [ -n "$dpi" ]; then
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
        wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
            /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    fi
    if [ $cjk_font = 1 ]; then
        for face in SimSun NSimSun "宋体"; do
            wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
                /d "WenQuanYi Zen Hei Sharp" /f >/dev/null 2>&1
        done
    fi
    # The desktop process keeps the driver it started with: restart the server.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    touch "$prefix/.vtps-ready"
fi
# A persistent server saves a cold start for every test process.
wineserver -p </dev/null >/dev/null 2>&1 || true
