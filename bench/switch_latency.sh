#!/usr/bin/env bash
# Switch latency under Wine: the program runs in a fresh prefix, and switch_latency.exe (from
# bench/switch_latency.cpp) times its switches against the same minimising and restoring done
# by hand, for 0, 10, 40 and 100 windows in 4 threads of 2 other processes, and splits each
# switch into its phases. Prints figures only; nothing passes or fails.
#
#   bench/switch_latency.sh [BUILD_DIR] [ROUNDS] [MODE]   default build/i686, 5 rounds, mode 1
#
# The program timed is bench/quillane_phases.exe: the same sources as app/quillane.exe with the
# phase clock of engine/phases.h (a few counter reads a switch). QUILLANE_SHIPPED=1 times the
# shipped app/quillane.exe instead, without the phases.
#
# MODE 2 (one notification icon, whose callback message alone changes at a switch) or 3 (the
# floating window) shows what the icon updates of mode 1 cost.
# The x86_64 build runs in a 64-bit prefix. QUILLANE_WINE_DIR reuses a booted prefix template.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/i686}" && pwd)
ROUNDS=${2:-5}
MODE=${3:-1}
PROGRAM=bench/quillane_phases.exe
[[ ${QUILLANE_SHIPPED:-0} == 1 ]] && PROGRAM=app/quillane.exe
for f in $PROGRAM bench/switch_latency.exe tests/wine/driver.exe; do
    [[ -f $BUILD/$f ]] || { echo "missing $BUILD/$f: build it first" >&2; exit 2; }
done
if grep -q 'x86_64-w64-mingw32' "$BUILD/CMakeCache.txt" 2>/dev/null; then
    WS_ARCH=win64
fi

# shellcheck source=scripts/wine-session.sh
. "$ROOT/scripts/wine-session.sh"
# Under qemu-i386 the timing tools' own 32-bit processes crash (the program timed does not):
# they come from the x86_64 build there, as the tests' tools do.
TOOLS=$BUILD
if [[ $(ws_mode) == wow64 && ${WS_ARCH:-win32} != win64 ]]; then
    TOOLS=$ROOT/build/x86_64
    for f in bench/switch_latency.exe tests/wine/driver.exe; do
        [[ -f $TOOLS/$f ]] || { echo "missing $TOOLS/$f: build the x86_64 preset first" >&2; exit 2; }
    done
fi
wine_session_start
new_prefix latency

wine "$BUILD/$PROGRAM" </dev/null >/dev/null 2>&1 &
quillane=$!
wine_run 30 "$TOOLS/tests/wine/driver.exe" wait-window Quillane 20
[[ $WINE_RC == 0 ]] || { echo "quillane.exe did not start" >&2; exit 1; }

# The display-mode commands are 600, 601 and 602.
[[ $MODE == 1 ]] || wine_run 30 "$TOOLS/tests/wine/driver.exe" send Quillane 273 $((599 + MODE)) 0
echo "program: $BUILD/$PROGRAM ($WS_ARCH prefix), display mode $MODE; load: $(uptime | sed 's/.*load/load/')"
wine_run 900 "$TOOLS/bench/switch_latency.exe" "$ROUNDS" 0 10 40 100
cat "$WINE_OUT"
[[ -s $WINE_ERR ]] && cat "$WINE_ERR" >&2

wine_run 30 "$TOOLS/tests/wine/driver.exe" post Quillane 16 0 0
wine_wait 20 "$quillane"
wine_session_stop
