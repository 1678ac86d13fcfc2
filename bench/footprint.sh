#!/usr/bin/env bash
# Footprint of the shipped i686 quillane.exe: its size on disk (checked to be stripped), the
# larger sections, and the start-up time under Wine from launch until the main window exists
# (its WM_CREATE adds the icons). Prints figures only; nothing here passes or fails.
#
#   bench/footprint.sh [RUNS]     RUNS warm starts (default 5)
#
# QUILLANE_WINE_DIR reuses a booted prefix template, as for tests/wine/run.sh.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$ROOT/build/i686
RUNS=${1:-5}
cd "$ROOT"

[[ -f $BUILD/build.ninja ]] || cmake --preset mingw-i686 >/dev/null
cmake --build "$BUILD" >/dev/null
EXE=$BUILD/app/quillane.exe
DRIVER=$BUILD/tests/wine/driver.exe

# --- Size ------------------------------------------------------------------------------------

bytes=$(stat -c %s "$EXE")
flags=$(i686-w64-mingw32-objdump -f "$EXE" | sed -n 's/^architecture: [^,]*, flags [^:]*: *//p' | tr -d '\n')
if [[ $flags == *HAS_SYMS* ]] || i686-w64-mingw32-objdump -h "$EXE" | grep -q '\.debug'; then
    stripped="NOT stripped"
else
    stripped="stripped"
fi
echo "quillane.exe (i686, $stripped): $bytes bytes, $(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1024 }') KiB"
echo "  sections (bytes):"
i686-w64-mingw32-objdump -h "$EXE" | awk '$1 ~ /^[0-9]+$/ { print $2, $3 }' |
    while read -r name size; do printf '    %-9s %7d\n' "$name" "$((16#$size))"; done
echo "  imports: $(i686-w64-mingw32-objdump -p "$EXE" | sed -n 's/^\tDLL Name: //p' | tr '\n' ' ')"

# --- Start-up under Wine ---------------------------------------------------------------------

# shellcheck source=scripts/wine-session.sh
. "$ROOT/scripts/wine-session.sh"
wine_session_start 2>/dev/null
new_prefix footprint

seconds_since() { awk -v a="$1" -v b="$(ws_now)" 'BEGIN { printf "%.3f", b - a }'; }

# One start: launch, then the driver polls (every 50 ms) for the main window; ends it after.
start_once() {
    local started pid elapsed
    started=$(ws_now)
    wine "$EXE" </dev/null >/dev/null 2>&1 &
    pid=$!
    wine_run 30 "$DRIVER" wait-window Quillane 20
    elapsed=$(seconds_since "$started")
    [[ $WINE_RC == 0 ]] || elapsed="timeout"
    wine_run 30 "$DRIVER" post Quillane 16 0 0
    wine_wait 20 "$pid"
    echo "$elapsed"
}

# The driver's own start and first look, measured on a window that is already there.
overhead_once() {
    local started
    started=$(ws_now)
    wine_run 30 "$DRIVER" wait-window Shell_TrayWnd 20
    seconds_since "$started"
}

stats() { # min and median of the numbers on stdin
    sort -g | awk '{ v[NR] = $1 } END {
        m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "min %.3f s, median %.3f s (%d runs)", v[1], m, NR }'
}

cold=$(start_once) # first run of the prefix: also writes the settings
warm=()
for ((i = 0; i < RUNS; i++)); do warm+=("$(start_once)"); done
overhead=()
for ((i = 0; i < RUNS; i++)); do overhead+=("$(overhead_once)"); done

echo
echo "start-up under Wine, launch until the main window exists (icons added):"
echo "  first start in a fresh prefix (first run, settings created): $cold s"
echo "  warm starts: $(printf '%s\n' "${warm[@]}" | stats)"
echo "    each: ${warm[*]}"
echo "  included in these: the driver's own start and look, $(printf '%s\n' "${overhead[@]}" | stats)"

wine_session_stop
