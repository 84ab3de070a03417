#!/bin/sh
# Times form2pdf (the whole job writing a PDF: read the form, prepare, PDF
# filter) against CUPS's texttopdf on the same 100,000-line form: the sample
# invoice repeated (accented text, a form feed at every page), in
# Windows-1252 for form2pdf and converted to UTF-8 for texttopdf, which
# knows no other code page. Runs alternate, five of each; the medians and
# their ratio are printed.
#
#   bench/compare_texttopdf.sh [BUILD_DIR] [LINES] [RUNS]
set -eu
build=${1:-build}
lines=${2:-100000}
runs=${3:-5}
here=$(cd "$(dirname "$0")/.." && pwd)
texttopdf=/usr/lib/cups/filter/texttopdf
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

per=$(wc -l < "$here/samples/nota.txt")
i=0
while [ $((i * per)) -lt "$lines" ]; do cat "$here/samples/nota.txt"; i=$((i + 1)); done > "$tmp/whole.txt"
head -n "$lines" "$tmp/whole.txt" > "$tmp/form.txt"
iconv -f WINDOWS-1252 -t UTF-8 "$tmp/form.txt" > "$tmp/form-utf8.txt"
echo "form: $(wc -l < "$tmp/form.txt") lines, $(wc -c < "$tmp/form.txt") bytes"
[ -x "$texttopdf" ] || { echo "texttopdf not installed ($texttopdf)"; exit 1; }

run() { # name command... ; appends "wall peak_kB" to $tmp/$name
    name=$1; shift
    /usr/bin/time -f "%e %M" -o "$tmp/t" "$@" 2>/dev/null
    cat "$tmp/t" >> "$tmp/$name"
}
i=0
while [ "$i" -lt "$runs" ]; do
    run prenso "$build/bin/form2pdf" "$tmp/form.txt" "$tmp/prenso.pdf"
    CHARSET=utf-8 run texttopdf sh -c "'$texttopdf' 1 bench form 1 '' '$tmp/form-utf8.txt' > '$tmp/t2p.pdf'"
    i=$((i + 1))
done
median() { sort -n "$1" | awk '{a[NR]=$1; m[NR]=$2} END {print a[int((NR+1)/2)], m[int((NR+1)/2)]}'; }
set -- $(median "$tmp/prenso"); pw=$1; pm=$2
set -- $(median "$tmp/texttopdf"); tw=$1; tm=$2
printf 'form2pdf  median %s s wall, peak %s kB, %s pages\n' "$pw" "$pm" "$(pdfinfo "$tmp/prenso.pdf" | sed -n 's/^Pages: *//p')"
printf 'texttopdf median %s s wall, peak %s kB, %s pages\n' "$tw" "$tm" "$(pdfinfo "$tmp/t2p.pdf" | sed -n 's/^Pages: *//p')"
awk -v a="$pw" -v b="$tw" 'BEGIN { printf "ratio form2pdf / texttopdf: %.2f\n", a / b }'
