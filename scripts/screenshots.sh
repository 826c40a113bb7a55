#!/bin/bash
# Renders the screenshots in docs/screenshots/: the options console with the
# plug-in's page, the expert rule editor over the sample rule data, and the
# add-category, add-key, hand-edit and add-entry dialogs, each in English
# (0409) and Simplified Chinese (0804).
#
# Wine draws into a virtual desktop on an Xvfb display, in a prefix of its own
# (build/wineprefix-shots, X11 driver: the test prefix uses the null driver).
# ShotHost opens one window at a time from a copy of the suite folder whose
# QZInstall.ini names the language, and writes the window's rectangle to a
# report file; the script captures the desktop and cuts that rectangle out.
#
# Usage: scripts/screenshots.sh [--no-build] [--dpi N] [NAME...]
#   --dpi N: render at N DPI (96 is 100 %) into NAME-LANG-PERCENT.png, in a
#   prefix of that scale (build/wineprefix-shots-dpiN) on a screen as much
#   larger than 1024 x 768 as the scale is.
#   NAME: only these images (console, expert-editor, add-category, add-key,
#   hand-edit, add-entry), in both languages.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# The screen scale comes first on the inner command line as on the outer.
dpi=96
build_first=1
while [ $# -gt 0 ]; do
    case $1 in
        --no-build) build_first=0; shift ;;
        --dpi) dpi=$2; shift 2 ;;
        *) break ;;
    esac
done
build="$root/build"
out="$root/docs/screenshots"
work="$build/shots"
prefix="$build/wineprefix-shots"
screen=1024x768
suffix=
if [ "$dpi" != 96 ]; then
    prefix="$build/wineprefix-shots-dpi$dpi"
    screen=$((1024 * dpi / 96))x$((768 * dpi / 96))
    suffix=-$((dpi * 100 / 96))
fi
languages=(0409 0804)
# name of the image, ShotHost's window argument
shots=("console console" "expert-editor expert" "add-category class-add" "add-key item-add"
       "hand-edit hand-edit" "add-entry add-entry")

# --- inside the virtual display ------------------------------------------

# Code page of the rule texts and the Unix locale that gives Wine that code
# page and the language's user locale.
codepage_of() { [ "$1" = 0804 ] && echo GBK || echo CP1252; }
locale_of() { [ "$1" = 0804 ] && echo zh_CN.UTF-8 || echo C; }

wine_in_prefix() { WINEPREFIX="$prefix" WINEDEBUG=-all "$@"; }

# Waits for the prefix's processes to end (the desktop goes with its last
# window); ends them when they linger.
settle_prefix() {
    if ! timeout 30 env WINEPREFIX="$prefix" wineserver -w 2>/dev/null; then
        wine_in_prefix wineserver -k 2>/dev/null || true
        wine_in_prefix wineserver -w 2>/dev/null || true
    fi
}

prepare_prefix() {
    [ -f "$prefix/.vtps-shots-ready" ] && return 0
    echo "screenshots: preparing the Wine prefix $prefix"
    mkdir -p "$prefix"
    wine_in_prefix wineboot -i >/dev/null 2>&1 || true
    # This Wine does not find the fonts of its data folder (it looks in
    # share/wine/../fonts): without Tahoma the dialogs fall back to another
    # face, and without Marlett the caption buttons show letters.
    cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/"
    # The screen scale: Wine reads it when a process starts.
    if [ "$dpi" != 96 ]; then
        wine_in_prefix wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
            >/dev/null 2>&1
        wine_in_prefix wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
            /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    fi
    # The Chinese templates name SimSun; the installed CJK font stands in,
    # in its face with drawn bitmaps for small sizes (the outline face loses
    # strokes at 12 pixels without smoothing, which the font turns off there).
    local face
    for face in SimSun NSimSun "宋体"; do
        wine_in_prefix wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
            /d "WenQuanYi Zen Hei Sharp" /f >/dev/null 2>&1
    done
    settle_prefix
    touch "$prefix/.vtps-shots-ready"
}

# A copy of the suite folder per language, with ShotHost beside the plug-in
# and the sample user rules in the language's code page.
prepare_suite() {
    local lang=$1 dir="$work/$1"
    rm -rf "$dir"
    mkdir -p "$work"
    cp -r "$build/suite" "$dir"
    cp "$build/doctools/shothost/ShotHost.exe" "$dir/"
    printf '[Suite]\r\nLanguageId=0x%s\r\n' "$lang" >"$dir/QZInstall.ini"
    iconv -f UTF-8 -t "$(codepage_of "$lang")" "$root/doctools/shothost/sample_rules/RegUser-$lang.ini" \
        | sed 's/$/\r/' >"$dir/RegUser.ini"
}

windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }

# shot NAME LANG TARGET: renders docs/screenshots/NAME-LANG[-PERCENT].png.
shot() {
    local name=$1 lang=$2 target=$3 dir="$work/$2"
    local report="$dir/$name.report" image="$out/$name-$lang$suffix.png"
    rm -f "$report"
    # Every shot starts from the same settings: nothing but the sample rules.
    rm -rf "$prefix"/drive_c/users/*/AppData/Roaming/Veltrane
    (cd "$dir" && LC_ALL=$(locale_of "$lang") WINEPREFIX="$prefix" WINEDEBUG=-all \
        wine explorer /desktop=shot,$screen ShotHost.exe "$target" --seconds 60 \
        --report "$(windows_path "$report")" --user-rules "$(windows_path "$dir/RegUser.ini")" \
        </dev/null >"$dir/$name.log" 2>&1) &
    local runner=$! waited=0
    while [ ! -s "$report" ] && [ $waited -lt 600 ]; do
        sleep 0.2
        waited=$((waited + 1))
    done
    local x y w h
    if [ ! -s "$report" ]; then
        echo "screenshots: $name ($lang): no window reported; see $dir/$name.log" >&2
        settle_prefix
        wait "$runner" 2>/dev/null || true
        return 1
    fi
    read -r x y w h <"$report"
    if [ "$x" = error ]; then
        echo "screenshots: $name ($lang): $y $w $h" >&2
        settle_prefix
        wait "$runner" 2>/dev/null || true
        return 1
    fi
    # A moment for the last paint after the report.
    sleep 1
    # The full-colour capture stays in the build tree for comparison.
    import -silent -window root -crop "${w}x${h}+${x}+${y}" +repage "png:$dir/$name.png"
    # Taking the report away closes the window.
    rm -f "$report"
    # Few colours: dialogs are flat, and the files stay small in the repository.
    convert "png:$dir/$name.png" -colors 256 "png8:$image"
    if command -v optipng >/dev/null; then optipng -quiet -o2 "$image"; fi
    echo "screenshots: $image (${w}x${h})"
    settle_prefix
    wait "$runner" 2>/dev/null || true
}

wanted() {
    [ $# -eq 1 ] && return 0
    local name=$1 want
    shift
    for want in "$@"; do [ "$want" = "$name" ] && return 0; done
    return 1
}

inside_display() {
    prepare_prefix
    mkdir -p "$out"
    local lang entry failed=0
    for lang in "${languages[@]}"; do
        prepare_suite "$lang"
        for entry in "${shots[@]}"; do
            wanted "${entry% *}" "$@" || continue
            shot "${entry% *}" "$lang" "${entry#* }" && continue
            failed=1
        done
    done
    wine_in_prefix wineserver -k 2>/dev/null || true
    return $failed
}

if [ "${1:-}" = --inside-display ]; then
    shift
    inside_display "$@"
    exit
fi

# --- outside: packages, build, display -------------------------------------

"$root/scripts/setup.sh"
# fonts-wine: Wine's own Tahoma (the dialogs' "MS Shell Dlg") and Marlett
# (the caption buttons); fonts-wqy-zenhei: the Chinese texts.
packages=(imagemagick fonts-wine fonts-wqy-zenhei xvfb xauth optipng)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -ne 0 ]; then
    echo "screenshots: installing ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "screenshots: run as root (apt-get needs it), or install: ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cd "$root"
if [ $build_first -eq 1 ] || [ ! -f "$build/doctools/shothost/ShotHost.exe" ]; then
    cmake --preset win32 >/dev/null
    cmake --build build -j2 --target ShotHost
fi

xvfb-run -a -s "-screen 0 ${screen}x24" "$0" --dpi "$dpi" --inside-display "$@"
