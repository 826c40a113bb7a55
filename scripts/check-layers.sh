#!/bin/sh
# Checks the layers of the product: every #include "dir/..." of a folder must
# name a folder it may use.  The plug-in's layers run core -> win -> rules ->
# dialogs -> plugin, each using only those before it; the dialog framework
# uses only win.  The language modules' ids (lang/) serve every layer that
# loads a resource.  No product code includes tests/, bench/ or doctools/.
#   check-layers.sh [ROOT]
# Prints every include that breaks the rule and exits 1 when there is one.
root=$(cd "${1:-$(dirname "$0")/..}" && pwd) || exit 2
cd "$root" || exit 2

# folder: the folders its includes may name (besides the standard library
# and headers of its own folder without a path).
allowed() {
    case $1 in
    core) echo "core" ;;
    win) echo "core win" ;;
    rules) echo "core win rules lang" ;;
    dialogs/framework) echo "core win dialogs/framework" ;;
    dialogs) echo "core win rules dialogs lang" ;;
    plugin) echo "core win rules dialogs plugin lang" ;;
    lang) echo "lang" ;;
    rdbtool) echo "core win rules rdbtool" ;;
    inspector) echo "core win rules rdbtool inspector" ;;
    # The stand-ins see the plug-in only through what its peers share: the
    # console's interface and the monitor's window and command.
    suite) echo "core win suite plugin/product_option.h rules/monitor_notify.h lang" ;;
    esac
}

status=0
checked=0
for folder in core win rules dialogs/framework dialogs plugin lang rdbtool inspector suite; do
    allow=$(allowed "$folder")
    # The framework is its own layer inside dialogs/.
    prune=
    [ "$folder" = dialogs ] && prune="-path dialogs/framework -prune -o"
    files=$(find "$folder" $prune \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) -print)
    for file in $files; do
        checked=$((checked + 1))
        grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*/[^"]*"' "$file" |
        while IFS= read -r line; do
            target=$(printf '%s\n' "$line" | sed 's/.*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/')
            ok=no
            for a in $allow; do
                case $target in
                "$a" | "$a"/*) ok=yes ;;
                esac
            done
            # Within dialogs/, the framework counts as part of the folder.
            [ "$folder" = dialogs ] && case $target in dialogs/framework/*) ok=yes ;; esac
            if [ $ok = no ]; then
                echo "$file:${line%%:*}: includes \"$target\", which $folder/ may not use (it may use: $allow)"
            fi
        done
    done
done > /tmp/check-layers.$$
if [ -s /tmp/check-layers.$$ ]; then
    cat /tmp/check-layers.$$
    status=1
fi
rm -f /tmp/check-layers.$$
if [ $status -eq 0 ]; then
    echo "layers: $checked files of core, win, rules, dialogs (framework apart), plugin, lang, rdbtool, inspector and suite include only what their layer may use"
fi
exit $status
