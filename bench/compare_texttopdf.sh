#!/bin/sh
# Times form2pdf (the whole job writing a PDF) against CUPS's texttopdf on
# the same form: the sample invoice repeated, in Windows-1252 for form2pdf
# and converted to UTF-8 for texttopdf, which knows no other code page.
#
#   bench/compare_texttopdf.sh [BUILD_DIR] [REPEATS]
set -eu
build=${1:-build}
repeats=${2:-300}
here=$(cd "$(dirname "$0")/.." && pwd)
texttopdf=/usr/lib/cups/filter/texttopdf
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

i=0
while [ "$i" -lt "$repeats" ]; do
    cat "$here/samples/nota.txt"
    i=$((i + 1))
done > "$tmp/form.txt"
iconv -f WINDOWS-1252 -t UTF-8 "$tmp/form.txt" > "$tmp/form-utf8.txt"
echo "form: $(wc -l < "$tmp/form.txt") lines"

report() {
    printf '%-10s %s pages, %s bytes\n' "$1" \
        "$(pdfinfo "$2" | sed -n 's/^Pages: *//p')" "$(wc -c < "$2")"
}

/usr/bin/time -f "form2pdf   %e s wall, %U s user, %M kB peak" \
    "$build/bin/form2pdf" "$tmp/form.txt" "$tmp/prenso.pdf"
report form2pdf "$tmp/prenso.pdf"

if [ -x "$texttopdf" ]; then
    CHARSET=utf-8 /usr/bin/time -f "texttopdf  %e s wall, %U s user, %M kB peak" \
        "$texttopdf" 1 bench form 1 "" "$tmp/form-utf8.txt" > "$tmp/texttopdf.pdf" 2> "$tmp/texttopdf.err" ||
        { cat "$tmp/texttopdf.err" >&2; exit 1; }
    grep -v '^\(DEBUG\|INFO\)' "$tmp/texttopdf.err" >&2 || true
    report texttopdf "$tmp/texttopdf.pdf"
else
    echo "texttopdf not installed ($texttopdf)"
fi
