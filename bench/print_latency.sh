#!/usr/bin/env bash
# How long a one-page form takes from the start of the program:
#   dialog      until the print dialog is on the screen (an X server of the
#               script's own, Xvfb; seen from outside by build/bin/window_wait)
#   unattended  with /DLG=NAO and no display, until the program has handed the
#               job to the print server and ended
#   on-screen   the same with /DLG=NAO on the X server
#   lp-raw      `lp -o raw` of the same file on the same queue, the floor
# Whole-process medians of RUNS runs each (alternating, each started with the
# server idle), on a print server of the script's own whose raw queue writes
# to /dev/null; ratios to lp-raw, and the processor time the process used
# (user + system; for the dialog, until it showed), which depends less on
# what else the machine is doing.
#
#   bench/print_latency.sh [BUILD_DIR] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
runs=${2:-15}
program=$build/bin/Prenso
waiter=$build/bin/window_wait
for tool in "$program" "$waiter"; do
  [[ -x "$tool" ]] || { echo "print_latency: $tool is not built" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "print_latency: Xvfb is not installed" >&2; exit 1; }

work=$(mktemp -d /tmp/prenso-bench-XXXXXX)
xvfb_pid=""
cleanup() {
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  "$here/scripts/cupsd-stop" "$work/cups" || true
  rm -rf "$work"
}
trap cleanup EXIT

"$here/scripts/cupsd-start" "$work/cups" >/dev/null
export CUPS_SERVER=$work/cups/cups.sock CUPS_SERVERROOT=$work/client HOME=$work/home
mkdir -p "$CUPS_SERVERROOT" "$HOME"
mkdir -p -m 700 "$work/tmp"
lpadmin -p Bench -E -v file:///dev/null
export TMPDIR=$work/tmp XDG_RUNTIME_DIR=$work/tmp LANG=C.UTF-8
unset QT_QPA_PLATFORM PRENSO_DIALOGS WAYLAND_DISPLAY

display=""
for n in $(seq 90 199); do
  [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do [[ -S /tmp/.X11-unix/X$n ]] && break; sleep 0.05; done
  if [[ -S /tmp/.X11-unix/X$n ]]; then display=":$n"; break; fi
  kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
done
[[ -n "$display" ]] || { echo "print_latency: Xvfb did not start" >&2; exit 1; }

# One page of the sample invoice.
head -n 40 "$here/samples/nota.txt" >"$work/form.txt"

ms() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }
# Each run starts with the server idle: the previous job is no longer in the
# way of the next.
idle() {
  for _ in $(seq 1 100); do
    [[ -z "$(lpstat -o Bench 2>/dev/null)" ]] && return
    sleep 0.05
  done
}
: >"$work/dialog"
timed() { # name command...: appends "wall_ms cpu_ms" to $work/name
  local name=$1
  shift
  idle
  /usr/bin/time -f "%e %U %S" -o "$work/t" "$@" >/dev/null 2>&1 || true
  awk '{printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000}' "$work/t" >>"$work/$name"
}
for _ in $(seq 1 "$runs"); do
  idle
  DISPLAY=$display "$waiter" Print 10000 "$program" "/ARQ=$work/form.txt" /IMPS=BENCH >>"$work/dialog"
  timed unattended env -u DISPLAY "$program" "/ARQ=$work/form.txt" /IMPS=BENCH /DLG=NAO
  timed on-screen env DISPLAY="$display" "$program" "/ARQ=$work/form.txt" /IMPS=BENCH /DLG=NAO
  timed lp-raw lp -d Bench -o raw "$work/form.txt"
done

median() { sort -n -k"${2:-1}" "$1" | awk -v c="${2:-1}" '{v[NR]=$c} END {print v[int((NR+1)/2)]}'; }
floor=$(median "$work/lp-raw")
echo "$runs runs each; load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
printf '%-11s %12s %9s %13s\n' what "wall ms" "x lp-raw" "cpu ms"
for what in dialog unattended on-screen lp-raw; do
  m=$(median "$work/$what")
  cpu=$(median "$work/$what" 2)
  printf '%-11s %12s %9s %13s\n' "$what" "$m" "$(awk -v a="$m" -v b="$floor" 'BEGIN {printf "%.1f", a / b}')" "$cpu"
done
