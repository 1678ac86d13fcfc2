#!/usr/bin/env bash
# Builds the shipped quillane.exe (i686) and runs it under Wine on a virtual desktop with a taskbar, so
# that its notification icons show, next to a few ordinary windows to switch between. Where
# the kernel runs no 32-bit programs, Wine's 32-bit side runs under qemu-i386 (see
# scripts/wine-session.sh).
# On the user's display when there is one; otherwise under Xvfb, saving a screenshot to
# quillane.png (or the file named by QUILLANE_SCREENSHOT) and stopping after it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/deps.sh
quillane_ensure_packages

source scripts/wine-session.sh
arch=i686
echo "Wine: $(ws_describe_mode)"
cmake --preset "mingw-$arch" >/dev/null
cmake --build "build/$arch" -j "$(nproc)"
exe="$root/build/$arch/app/quillane.exe"

start_windows() {
  wine notepad </dev/null >/dev/null 2>&1 &
  wine winemine </dev/null >/dev/null 2>&1 &
  wine regedit </dev/null >/dev/null 2>&1 &
}

if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
  # A prefix of its own, kept between runs, so settings survive like on Windows.
  export QUILLANE_WINE_DIR=${QUILLANE_WINE_DIR:-$HOME/.cache/quillane-wine}
  mkdir -p "$QUILLANE_WINE_DIR"
  WS_DIR=$QUILLANE_WINE_DIR
  ws_export_wine_env
  ws_boot_template
  export WINEPREFIX="$(ws_template_dir)"
  start_windows
  echo "Quillane runs in the Wine desktop window; quit it from its notification icon's menu."
  wine "$exe"
  wineserver -k || true
else
  # One switch from desktop 1 to desktop 2, each with programs of its own: a screenshot before
  # it (quillane-before.png, beside the other) and after it.
  wine_session_start
  new_prefix run
  driver="$root/build/$arch/tests/wine/driver.exe"
  # Two programs on desktop 1, the one shown at start.
  wine notepad </dev/null >/dev/null 2>&1 &
  wine winemine </dev/null >/dev/null 2>&1 &
  wine_run 30 "$driver" wait-title "Untitled - Notepad" 20
  wine_run 30 "$driver" wait-title WineMine 20
  wine "$exe" </dev/null >/dev/null 2>&1 &
  # The main window exists once start-up is done and the icons are in the taskbar.
  wine_run 30 "$driver" wait-window Quillane 20
  [[ $WINE_RC == 0 ]] || echo "Quillane's main window did not appear" >&2
  # A left click on desktop n's icon is UM_DESKTOP n (WM_USER + n) with WM_LBUTTONDOWN.
  switch_to() { wine_run 30 "$driver" post Quillane $((0x400 + $1)) 0 0x201; }
  # Desktop 2 gets a program of its own, then desktop 1 is shown again.
  switch_to 2
  wine_run 30 "$driver" wait-iconic 1 10 "Untitled - Notepad" WineMine
  wine regedit </dev/null >/dev/null 2>&1 &
  # Shown by itself first, or its own first show would undo the switch's minimise.
  for ((i = 0; i < 100; i++)); do
    wine_run 30 "$driver" visible RegEdit_RegEdit
    [[ $WINE_RC == 0 ]] && break
    sleep 0.2
  done
  sleep 0.5
  switch_to 1
  wine_run 30 "$driver" wait-iconic 1 10 "Registry Editor"
  sleep 1
  shot=${QUILLANE_SCREENSHOT:-$root/quillane.png}
  before=${shot%.png}-before.png
  wine_screenshot "$before"
  # The switch: desktop 1's programs minimised, desktop 2's restored.
  switch_to 2
  wine_run 30 "$driver" wait-iconic 0 10 "Registry Editor"
  sleep 1
  wine_screenshot "$shot"
  echo "No display: Quillane ran under Xvfb and switched from desktop 1 to desktop 2."
  echo "Before the switch: $before"
  echo "After the switch:  $shot"
fi
