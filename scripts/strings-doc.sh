#!/bin/sh
# Writes docs/strings.md: every text of the two language modules side by side,
# read from their resource scripts (strings, dialog captions and controls,
# menus), in the order the English module includes its scripts.
#   strings-doc.sh [OUT]        (default: docs/strings.md of this tree)
#   strings-doc.sh --check      fails when docs/strings.md is not up to date
# Exits 1 when the two modules do not carry the same texts in the same order.
root=$(cd "$(dirname "$0")/.." && pwd) || exit 2
if [ "$1" = --check ]; then
    fresh=$(mktemp) || exit 2
    "$0" "$fresh" || { rm -f "$fresh"; exit 1; }
    if ! cmp -s "$fresh" "$root/docs/strings.md"; then
        diff -u "$root/docs/strings.md" "$fresh"
        echo "docs/strings.md is out of date: run scripts/strings-doc.sh" >&2
        rm -f "$fresh"
        exit 1
    fi
    rm -f "$fresh"
    exit 0
fi
out=${1:-$root/docs/strings.md}

# One line per text: "<resource>\t<what>\t<text>", in script order.
texts() {
    awk '
    function unquote(s) { gsub(/""/, "\"", s); gsub(/\\\\/, "\\", s); gsub(/\|/, "\\|", s); return s }
    # The first quoted text of a line and what follows it.
    function quoted(line,    rest, i, c, t) {
        i = index(line, "\"")
        if (i == 0) return 0
        t = ""; rest = substr(line, i + 1)
        while (length(rest) > 0) {
            c = substr(rest, 1, 1)
            if (c == "\"") {
                if (substr(rest, 2, 1) == "\"") { t = t "\"\""; rest = substr(rest, 3); continue }
                break
            }
            t = t c; rest = substr(rest, 2)
        }
        text = t; after = substr(rest, 2)
        return 1
    }
    function emit(what, t) { printf "%s\t%s\t%s\n", res, what, unquote(t) }
    /^[[:space:]]*\/\// { next }
    pending != "" {
        split($0, f, /[ ,\t]+/); id = (f[1] == "" ? f[2] : f[1])
        emit(pending " " id, pendingText); pending = ""; next
    }
    /^[[:space:]]*STRINGTABLE/ { res = "strings of " FILENAME; sub(/.*\//, "", res); res = "strings of " res; inTable = 1; next }
    /^[A-Z_0-9]+[[:space:]]+DIALOGEX/ { res = $1; inTable = 0; next }
    /^[A-Z_0-9]+[[:space:]]+MENU/ { res = $1; inTable = 0; next }
    /^[[:space:]]*CAPTION[[:space:]]/ { if (quoted($0)) emit("caption", text); next }
    /^[[:space:]]*(FONT|STYLE|BEGIN|END|LANGUAGE)/ { next }
    inTable && /^[[:space:]]*[A-Z_0-9]+[[:space:]]+"/ {
        if (quoted($0)) { split($0, f, /[ \t]+/); emit(f[2], text) }
        next
    }
    /^[[:space:]]*POPUP[[:space:]]/ { if (quoted($0)) emit("submenu", text); next }
    /^[[:space:]]*MENUITEM[[:space:]]+SEPARATOR/ { next }
    /^[[:space:]]*[A-Z]+[[:space:]]+"/ {
        split($0, f, /[ \t]+/); kind = (f[1] == "" ? f[2] : f[1])
        if (!quoted($0)) next
        sub(/^[[:space:]]*,[[:space:]]*/, "", after)
        if (after == "") { pending = kind; pendingText = text; next }
        split(after, g, /[ ,\t]+/)
        if (text != "") emit(kind " " g[1], text)
        next
    }
    ' "$@"
}

scripts() {
    sed -n 's/^#include "\(.*\.rc\)"$/\1/p' "$root/lang/0409/VtPesTrol0409.rc"
}

en=$(mktemp) && zh=$(mktemp) || exit 2
trap 'rm -f "$en" "$zh"' EXIT
for s in $(scripts); do texts "$root/lang/0409/$s"; done > "$en"
for s in $(scripts); do texts "$root/lang/0804/$s"; done > "$zh"

{
    echo "# Strings of the language modules"
    echo
    echo "Every text of the English (0409) and Simplified Chinese (0804) modules side"
    echo "by side, generated from \`lang/*/*.rc\` by \`scripts/strings-doc.sh\`; a test"
    echo "fails when this page is out of date. Ids are named in \`lang/*.h\`."
    echo
    paste "$en" "$zh" | awk -F '\t' '
    $1 != last { if (last != "") print ""; print "## " $1; print ""; print "| id | English | Chinese |"; print "|---|---|---|"; last = $1 }
    { if ($1 != $4 || $2 != $5) { bad = 1; print "| **" $2 " / " $5 " (differ)** | " $3 " | " $6 " |" }
      else print "| " $2 " | " $3 " | " $6 " |" }
    END { exit bad }'
} > "$out"
status=$?
[ "$(wc -l < "$en")" = "$(wc -l < "$zh")" ] || status=1
[ $status = 0 ] || echo "strings-doc.sh: the two modules differ; see rows marked (differ) in $out" >&2
exit $status
