#!/usr/bin/env bash
# Takes the README's pictures of the real quillane.exe under Wine and Xvfb, each cropped to
# what it shows, into docs/: the icons with the command menu open, the single icon's menu, the
# floating window in one and in two rows, the Rename and the Hot key dialogs, and the command
# menu in French.
#
#   scripts/pictures.sh [BUILD_DIR]
#
# BUILD_DIR (configured and built first) defaults to build/i686, or build/x86_64 where this
# kernel runs no 32-bit programs. Needs the packages of scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
# shellcheck source=scripts/wine-session.sh
source scripts/wine-session.sh

build=${1:-}
if [[ -z $build ]]; then
    build=build/i686
    ws_runs_32bit || build=build/x86_64
fi
build=${build%/}
preset=mingw-${build##*/}
[[ -f $build/CMakeCache.txt ]] || cmake --preset "$preset" >/dev/null
cmake --build "$build" -j2 >/dev/null
grep -q 'x86_64-w64-mingw32' "$build/CMakeCache.txt" && WS_ARCH=win64
exe="$root/$build/app/quillane.exe"
driver="$root/$build/tests/wine/driver.exe"
settings='HKCU\Software\Halvern\Quillane'
docs="$root/docs"

drv() { wine_run 30 "$driver" "$@"; }

# stage NAME MODE [ENV...]: a fresh prefix with four titled desktops in display mode MODE (in
# $ROWS rows when floating), two ordinary programs on desktop 1, and quillane.exe started with
# that environment.
ROWS=1
stage() {
    local name=$1 mode=$2 n title
    shift 2
    new_prefix "$name"
    n=0
    for title in Mail Web Notes Music; do
        n=$((n + 1))
        drv reg-set-sz "$settings\\Desktop$n" DesktopTitle "$title" 33
        drv reg-set-dword "$settings\\Desktop$n" HotKey $((0x3006F + n)) # Ctrl+Alt+F1 to F4
    done
    drv reg-set-dword "$settings" Desktop 4
    drv reg-set-dword "$settings" Display "$mode"
    drv reg-set-dword "$settings" RowsFloating "$ROWS"
    wine notepad </dev/null >/dev/null 2>&1 &
    wine winemine </dev/null >/dev/null 2>&1 &
    drv wait-window Notepad 60
    env "$@" wine "$exe" </dev/null >/dev/null 2>&1 &
    drv wait-window Quillane 60
    [[ $WINE_RC == 0 ]] || { echo "quillane.exe did not start" >&2; exit 1; }
    sleep 1.5 # the icons reach the taskbar
}

# visible: the X windows of quillane.exe on the screen (menus, dialogs, the floating window).
visible() { xdotool search --onlyvisible --classname quillane.exe 2>/dev/null || true; }

wait_visible() {
    local i
    for ((i = 0; i < 50; i++)); do
        (($(visible | wc -l) >= $1)) && return 0
        sleep 0.2
    done
    echo "expected $1 windows of quillane.exe on the screen" >&2
    exit 1
}

# box: "left top right bottom" around every visible X window of quillane.exe.
box() {
    local id
    for id in $(visible); do
        xwininfo -id "$id" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
            /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, x + w, y + h }'
    done | awk 'NR == 1 { l = $1; t = $2; r = $3; b = $4 }
        { if ($1 < l) l = $1; if ($2 < t) t = $2; if ($3 > r) r = $3; if ($4 > b) b = $4 }
        END { print l, t, r, b }'
}

# shoot FILE LEFT TOP RIGHT BOTTOM [MARGIN]: that part of the screen, with a margin (12 pixels
# by default), kept on the screen.
shoot() {
    local file=$1 m=${6:-12}
    local l=$(($2 - m)) t=$(($3 - m)) r=$(($4 + m)) b=$(($5 + m))
    ((l < 0)) && l=0
    ((t < 0)) && t=0
    ((r > 1024)) && r=1024
    ((b > 768)) && b=768
    wine_screenshot "$WS_DIR/out/screen.png"
    convert "$WS_DIR/out/screen.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage -strip -colors 256 \
        "PNG8:$docs/$file"
    echo "docs/$file: $((r - l))x$((b - t)), $(stat -c %s "$docs/$file") bytes"
}

# A right click on the notification icon at X: the menu opens; the pointer then rests on the
# item at ITEM pixels below the menu's top, which opens its submenu.
menu_with_submenu() {
    local l t r b
    xdotool mousemove "$1" 758 click 3
    wait_visible 1
    read -r l t r b <<<"$(box)"
    xdotool mousemove $((l + 30)) $((t + $2))
    wait_visible 2
    sleep 0.5
}

# tray_shot FILE ITEM: the icons with the command menu open from desktop 1's, and the submenu of
# its item at ITEM pixels below the menu's top.
tray_shot() {
    local file=$1 l t r b
    menu_with_submenu 1014 "$2"
    read -r l t r b <<<"$(box)"
    shoot "$file" "$l" "$t" 1024 768
}

wine_session_start

stage icons 1
tray_shot tray-menu.png 60 # Applications: the windows to send to another desktop
end_prefix

stage icons-fr 1 LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8
tray_shot tray-menu-fr.png 10 # the desktop's own submenu
end_prefix

# Mode 2: the single icon's menu lists the desktops, each with its submenu; show the last one's.
stage single 2
menu_with_submenu 1014 60
read -r l t r b <<<"$(box)"
shoot single-menu.png "$l" "$t" 1024 768
end_prefix

# The floating window in one row with a tool tip, then in two rows.
for ROWS in 1 2; do
    stage "floating$ROWS" 3
    drv floating
    read -r _ l t r b < <(grep '^toolbar' "$WINE_OUT")
    if ((ROWS == 1)); then
        xdotool mousemove $((l + 50)) $((t + 15)) # desktop 2's title as its button's tip
        sleep 1.5
    fi
    drv floating
    read -r _ l t r b < <(grep '^rect' "$WINE_OUT")
    if ((ROWS == 1)); then
        shoot floating-1-row.png "$((l - 60))" "$t" "$r" "$((b + 30))" # room for the tip
    else
        shoot floating-2-rows.png "$l" "$t" "$r" "$b"
    fi
    end_prefix
done
ROWS=1

# The Rename and the Hot key dialogs of desktop 2 (commands 411 and 413).
for dialog in rename:411 hotkey:413; do
    stage "${dialog%%:*}" 1
    drv post Quillane 273 "${dialog##*:}" 0
    drv wait-window '#32770' 30
    wait_visible 1
    sleep 0.5
    read -r l t r b <<<"$(box)"
    shoot "${dialog%%:*}.png" "$l" "$t" "$r" "$b" 0 # the box alone: behind it is Notepad
    end_prefix
done
