#!/usr/bin/env bash
# The whole printer path against the print system's own: from the start of the
# command until the queue has written all of the job into its output file,
#   prenso   build/bin/Prenso /ARQ=FORM /IMPS=BENCH /DLG=NAO (no display)
#   lp       lp -d Bench FORM.utf8 (the print system's own text filter makes the
#            PDF; it reads only UTF-8, so it gets the form converted)
# on a print server of the script's own whose queue passes the PDF it gets
# unchanged into a file (scripts/passthrough.ppd, the queue of
# scripts/print-sample). Forms: the sample invoice and generated forms of
# the given line counts (bench/make_form). Runs alternate; medians, their
# ratio, the program's peak memory and processor time, and the pages that
# arrived.
#
#   bench/print_vs_lp.sh [BUILD_DIR] [RUNS] [LINES...]    (default 5 runs, 10000 100000)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
runs=${2:-5}
shift 2 || shift $#
sizes=("$@")
((${#sizes[@]})) || sizes=(10000 100000)
program=$build/bin/Prenso
for tool in "$program" "$build/bin/file_wait" "$build/bin/make_form"; do
  [[ -x "$tool" ]] || { echo "print_vs_lp: $tool is not built" >&2; exit 1; }
done

work=$(mktemp -d /tmp/prenso-e2e-XXXXXX)
chmod 755 "$work" # the server hands the job files to an unprivileged user
cleanup() {
  "$here/scripts/cupsd-stop" "$work/cups" >/dev/null 2>&1 || true
  [[ -n "${KEEP:-}" ]] || rm -rf "$work"
}
trap cleanup EXIT
"$here/scripts/cupsd-start" "$work/cups" >/dev/null
export CUPS_SERVER=$work/cups/cups.sock CUPS_SERVERROOT=$work/client HOME=$work/home
mkdir -p "$CUPS_SERVERROOT" "$HOME" "$work/out"
mkdir -m 700 "$work/tmp"
out=$work/out/job.pdf
lpadmin -p Bench -E -v "file://$out" -P "$here/scripts/passthrough.ppd" 2>/dev/null
export TMPDIR=$work/tmp XDG_RUNTIME_DIR=$work/tmp LANG=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM PRENSO_DIALOGS

cp "$here/samples/nota.txt" "$work/nota.txt"
forms=("$work/nota.txt")
for n in "${sizes[@]}"; do
  "$build/bin/make_form" "$n" >"$work/form-$n.txt"
  forms+=("$work/form-$n.txt")
done
for form in "${forms[@]}"; do iconv -f WINDOWS-1252 -t UTF-8 "$form" >"$form.utf8"; done

idle() {
  for _ in $(seq 1 200); do
    [[ -z "$(lpstat -o Bench 2>/dev/null)" ]] && return
    sleep 0.05
  done
  echo "print_vs_lp: the queue did not empty" >&2
  exit 1
}
# timed NAME COMMAND...: appends "wall_ms" to $work/NAME; the program's own
# peak memory and processor time go to $work/NAME.res.
timed() {
  local name=$1
  shift
  idle
  rm -f "$out"
  local result
  result=$("$build/bin/file_wait" "$out" 150 600000 /usr/bin/time -f "%M %U %S" -o "$work/res" "$@") ||
    { echo "print_vs_lp: $name wrote no output" >&2; exit 1; }
  set -- $result
  [[ $2 == 0 ]] || { echo "print_vs_lp: $name ended with status $2" >&2; exit 1; }
  echo "$1" >>"$work/$name"
  awk '{printf "%d %d\n", $1, ($2 + $3) * 1000}' "$work/res" >>"$work/$name.res"
  cp "$out" "$work/$name.pdf"
}
median() { sort -n "$1" | awk '{a[NR]=$0} END {print a[int((NR+1)/2)]}'; }

printf '%-14s %8s %6s %8s %7s %6s %9s %7s %8s\n' form lines pages prenso lp ratio "peak kB" "cpu ms" "lp pages"
for form in "${forms[@]}"; do
  rm -f "$work"/prenso* "$work"/lp*
  for _ in $(seq 1 "$runs"); do
    timed prenso "$program" "/ARQ=$form" /IMPS=BENCH /DLG=NAO
    timed lp lp -d Bench "$form.utf8"
  done
  p=$(median "$work/prenso")
  l=$(median "$work/lp")
  res=$(sort -n -k2 "$work/prenso.res" | awk '{a[NR]=$0} END {print a[int((NR+1)/2)]}')
  pages=$(pdfinfo "$work/prenso.pdf" | sed -n 's/^Pages: *//p')
  lpages=$(pdfinfo "$work/lp.pdf" | sed -n 's/^Pages: *//p')
  awk -v f="$(basename "$form")" -v n="$(wc -l <"$form")" -v pg="$pages" -v p="$p" -v l="$l" -v r="$res" -v lpg="$lpages" \
    'BEGIN { split(r, m, " "); printf "%-14s %8d %6d %5d ms %4d ms %5.2fx %9d %7d %8d\n", f, n, pg, p, l, p / l, m[1], m[2], lpg }'
done
