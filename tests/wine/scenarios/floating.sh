# The floating window of display mode 3 on the real program: its place at first start, its
# buttons, clicks that switch, desktops created and deleted, rows chosen by dragging an edge,
# always on top and the position kept for the next start, the system menu's mode commands, the
# window kept on the screen and alive through WM_CLOSE, and a close while it is in menu mode.
# Sourced by tests/wine/run.sh.

# shellcheck source=tests/wine/scenario_helpers.sh
. "$(dirname "${BASH_SOURCE[0]}")/../scenario_helpers.sh"

# fl_get NAME: one line of the driver's "floating" report, without its name.
fl_get() {
    pg_drv floating >/dev/null
    tr -d '\r' <"$WINE_OUT" | sed -n "s/^$1 *//p"
}

# fl_start [DESKTOPS]: stored settings for mode 3 (and a desktop count), then the program with
# its floating window.
fl_start() {
    pg_drv reg-set-dword "$PG_SETTINGS" Display 3
    [[ -n ${1:-} ]] && pg_drv reg-set-dword "$PG_SETTINGS" Desktop "$1"
    pg_start && pg_drv wait-window QuillaneFloating 10 && fl_wait visible 1
}

# fl_wait NAME VALUE [SECONDS]: polls the report until the line reads VALUE.
fl_is() { [[ $(fl_get "$1") == "$2" ]]; }
fl_wait() { pg_poll $((${3:-10} * 5)) 0.2 fl_is "$1" "$2"; }

# fl_click N: a click on desktop N's button, found from the toolbar's place and button size.
fl_click() {
    local l t r b w h columns column row
    read -r l t r b <<<"$(fl_get toolbar)"
    read -r w h <<<"$(fl_get button)"
    columns=$(((r - l) / w))
    ((columns < 1)) && columns=1
    column=$((($1 - 1) % columns))
    row=$((($1 - 1) / columns))
    xdotool mousemove $((l + column * w + w / 2)) $((t + row * h + h / 2)) click 1
    sleep 0.3
    xdotool mousemove 512 400
}

# fl_drag X Y DX DY: presses the left button at X, Y and lets go DX, DY further.
fl_drag() {
    xdotool mousemove "$1" "$2" mousedown 1 sleep 0.2 mousemove $(($1 + $3 / 4)) $(($2 + $4 / 4)) sleep 0.2 \
        mousemove $(($1 + $3)) $(($2 + $4)) sleep 0.3 mouseup 1
    sleep 0.5
}

fl_width() {
    local l t r b
    read -r l t r b <<<"$(fl_get rect)"
    echo $((r - l))
}

fl_stored() { pg_value "$PG_SETTINGS" "$1"; }

# fl_poll COMMAND...: polls the command for up to 10 s.
fl_poll() { pg_poll 50 0.2 "$@"; }
fl_foreground() { pg_drv foreground && grep -q 'class="QuillaneFloating"' "$WINE_OUT"; }
# fl_menus N: at least N of quillane.exe's menus are open. Each is a visible X window, and so is
# the floating window itself.
fl_menus() {
    (($(xdotool search --onlyvisible --classname quillane.exe 2>/dev/null | wc -l) >= $1 + 1))
}

# First start in mode 3: the window at the top right, a button per desktop with desktop 1's
# pressed; a button switches the real windows, the current one's does nothing.
fl_scenario_first_start() {
    local l t r b
    expect "windows A1, A2" pg_windows A 2
    expect "quillane.exe starts in mode 3" fl_start
    read -r l t r b <<<"$(fl_get rect)"
    expect_eq "$r $t" "1024 0" "floating window at the screen's top right"
    expect_eq "$(fl_get shown)" "200 201" "buttons of desktops 1 and 2"
    expect_eq "$(fl_get pressed)" "200" "desktop 1's button pressed"
    expect_eq "$(fl_get rows)" "1" "one row"

    fl_click 2
    expect "desktop 2's button minimises desktop 1's windows" pg_drv wait-iconic 1 10 A1 A2
    expect "desktop 2's button pressed" fl_wait pressed 201
    fl_click 2
    sleep 0.5
    expect_eq "$(pg_state A1 A2 | cut -d' ' -f2 | tr '\n' ' ')" "iconic=1 iconic=1 " \
        "the current desktop's button changes nothing"
    expect_eq "$(fl_get pressed)" "201" "still desktop 2's button pressed"
    fl_click 1
    expect "desktop 1's button restores them" pg_drv wait-iconic 0 10 A1 A2
    expect "desktop 1's button pressed again" fl_wait pressed 200
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
}

# Creating a desktop adds a button and widens the one-row window; deleting the shown last one
# hides its button, presses the one before and narrows the window again.
fl_scenario_desktops() {
    local two three
    expect "window B1" pg_windows B 1
    expect "quillane.exe starts in mode 3" fl_start
    two=$(fl_width)
    pg_drv send Quillane "$WM_COMMAND" "$IDM_CREATE_DESKTOP" 0 # Create a new desktop
    expect "a third button" fl_wait shown "200 201 202"
    three=$(fl_width)
    expect "the window grew by one button" test "$three" -gt "$two"
    expect_eq "$(fl_get visible)" 1 "shown again after the resize"
    expect_eq "$(fl_get rows)" 1 "still one row"
    expect_eq "$(fl_get pressed)" 200 "the new desktop is not shown"

    fl_click 3
    expect "desktop 3's button shows desktop 3" pg_drv wait-iconic 1 10 B1
    expect "desktop 3's button pressed" fl_wait pressed 202
    pg_drv post Quillane "$WM_COMMAND" "$IDM_DELETE_CURRENT_DESKTOP" 0 # Delete the shown desktop
    expect "confirmation" pg_drv wait-window '#32770' 10
    pg_drv post '#32770' "$WM_COMMAND" "$IDYES" 0 # Yes
    expect "the third button hidden" fl_wait shown "200 201"
    expect_eq "$(fl_get pressed)" 201 "desktop 2's button pressed"
    expect_eq "$(fl_width)" "$two" "the window back to two buttons"
    expect_eq "$(fl_get visible)" 1 "shown again after the deletion"
    expect_eq "$(fl_stored Desktop)" "type=4 size=4 data=02000000" "two desktops stored"
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
}

# Dragging an edge snaps the window to a row count: the bottom edge down gives 2 rows of 2, the
# left edge out gives one row again; each is stored as "RowsFloating".
fl_scenario_rows() {
    local l t r b before
    expect "quillane.exe starts in mode 3 with 4 desktops" fl_start 4
    expect_eq "$(fl_get rows)" 1 "one row at first"
    before=$(fl_width)
    read -r l t r b <<<"$(fl_get rect)"
    fl_drag $(((l + r) / 2)) $((b - 2)) 0 60
    expect "two rows on screen after dragging the bottom edge" fl_wait rows 2
    expect "half as wide" test "$(fl_width)" -lt "$before"
    # 2 and 3 rows of 4 buttons look the same (2 columns); the height rule may take either.
    expect "RowsFloating 2 or 3 stored" grep -Eq 'data=0[23]000000' <<<"$(fl_stored RowsFloating)"
    expect_eq "$(fl_get shown)" "200 201 202 203" "every button still shown"

    read -r l t r b <<<"$(fl_get rect)"
    fl_drag $((l + 1)) $((b - 15)) -150 0
    expect "one row on screen after dragging the left edge" fl_wait rows 1
    expect_eq "$(fl_width)" "$before" "as wide as at first"
    expect_eq "$(fl_stored RowsFloating)" "type=4 size=4 data=01000000" "RowsFloating 1 stored"
    pg_close
    expect "the next start lays out one row" fl_start
    expect_eq "$(fl_get rows)" 1 "one row at the next start"
    pg_close
}

# "Always on top" from the system menu, then a move by the caption: "TopMost" and the position
# are stored, and the next start puts the window there with that style.
fl_scenario_topmost() {
    local l t r b
    expect "quillane.exe starts in mode 3" fl_start
    expect_eq "$(fl_get topmost)" 1 "always on top by default"
    pg_drv send QuillaneFloating "$WM_SYSCOMMAND" "$IDM_TEMPLATE_ALWAYS_ON_TOP" 0
    expect "no longer on top" fl_wait topmost 0
    read -r l t r b <<<"$(fl_get rect)"
    fl_drag $((l + 20)) $((t + 8)) -400 300
    read -r l t r b <<<"$(fl_get rect)"
    expect "moved by its caption" test "$t" -gt 100
    expect_eq "$(fl_stored TopMost)" "type=4 size=4 data=00000000" "TopMost 0 stored by the move"
    expect_eq "$(fl_stored FloatingX)" "type=4 size=4 data=$(printf '%02X%02X0000' $((l & 255)) $((l >> 8)))" \
        "FloatingX stored"
    expect_eq "$(fl_stored FloatingY)" "type=4 size=4 data=$(printf '%02X%02X0000' $((t & 255)) $((t >> 8)))" \
        "FloatingY stored"
    pg_close
    expect "quillane.exe starts again" fl_start
    expect_eq "$(fl_get rect)" "$l $t $r $b" "the next start uses the stored position"
    expect_eq "$(fl_get topmost)" 0 "and the stored style"
    pg_close
}

# The system menu's display-mode commands reach the main window: "In this menu" (601), chosen
# from the keyboard, hides the floating window and stores mode 2.
fl_scenario_system_menu() {
    local l t r b xwin
    expect "quillane.exe starts in mode 3" fl_start
    read -r l t r b <<<"$(fl_get rect)"
    xdotool mousemove $((l + 20)) $((t + 8)) click 1
    expect "the floating window in the foreground" fl_poll fl_foreground
    # Keys go to the floating window's own X window: the X focus may be elsewhere.
    xwin=$(xdotool search --onlyvisible --classname quillane.exe | head -1)
    xdotool key --window "$xwin" alt+space
    expect "its system menu opens" fl_poll fl_menus 1
    xdotool key --window "$xwin" d # Desktops displaying
    expect "the display-mode pop-up opens" fl_poll fl_menus 2
    xdotool key --window "$xwin" m # In this menu
    expect "hidden by 601" fl_wait visible 0
    expect_eq "$(fl_stored Display)" "type=4 size=4 data=02000000" "mode 2 stored"
    pg_drv send QuillaneFloating "$WM_SYSCOMMAND" "$IDM_DISPLAY_FLOATING" 0
    expect "shown by 602" fl_wait visible 1
    pg_close
}

# fl_inside: the caption and the buttons (the window inside its sizing frame) within the work
# area above the taskbar.
fl_inside() {
    local l t r b x y
    read -r l t r b <<<"$(fl_get rect)"
    read -r x y <<<"$(fl_get frame)"
    ((l + x >= 0 && r - x <= 1024 && t + y >= 0 && b - y <= 748))
}

# fl_caption_keys KEYS...: a click on the caption, then the keys to the window's own X window.
fl_caption_keys() {
    local l t r b xwin
    read -r l t r b <<<"$(fl_get rect)"
    xdotool mousemove $((l + 20)) $((t + 8)) click 1
    fl_poll fl_foreground || return 1
    xwin=$(xdotool search --onlyvisible --classname quillane.exe | head -1)
    xdotool key --window "$xwin" "$@"
}

# Neither Alt+F4 nor another program's WM_CLOSE takes the window away; five created desktops
# widen it towards the left from the top right corner, just enough to keep its buttons on the
# screen; dragging its bottom edge at y = 0 grows it downwards, its caption still at the top.
fl_scenario_on_screen() {
    local l t r b n x y
    expect "quillane.exe starts in mode 3 with 3 desktops" fl_start 3
    expect "Alt+F4 pressed on it" fl_caption_keys alt+F4
    pg_drv post QuillaneFloating "$WM_CLOSE" 0 0
    sleep 1
    expect "still there after Alt+F4 and WM_CLOSE" pg_drv visible QuillaneFloating
    expect_eq "$(fl_get shown)" "200 201 202" "with its buttons"

    for n in 4 5 6 7 8; do pg_drv send Quillane "$WM_COMMAND" "$IDM_CREATE_DESKTOP" 0; done
    expect "eight buttons" fl_wait shown "200 201 202 203 204 205 206 207"
    read -r l t r b <<<"$(fl_get rect)"
    read -r x y <<<"$(fl_get frame)"
    expect_eq "$((r - x)) $t" "1024 0" "still at the top right, only its frame past the edge"
    expect "inside the screen after five new desktops" fl_inside
    pg_close

    expect "quillane.exe starts in mode 3 with 3 desktops" fl_start 3
    read -r l t r b <<<"$(fl_get rect)"
    fl_drag $(((l + r) / 2)) $((b - 2)) 0 90
    expect "more rows after dragging the bottom edge" fl_poll test "$(fl_get rows)" -gt 1
    read -r l t r b <<<"$(fl_get rect)"
    read -r x y <<<"$(fl_get frame)"
    expect_eq "$((t + y))" 0 "the caption still at the top of the screen"
    expect "inside the screen after the drag" fl_inside
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
}

# A close that arrives while the floating window is in menu mode (its system menu opened with
# Alt+Space and left with Escape), or while it is being dragged, still ends the process.
fl_scenario_close_in_menu_mode() {
    local l t r b
    expect "quillane.exe starts in mode 3" fl_start
    expect "the system menu opened" fl_caption_keys alt+space
    expect "its system menu opens" fl_poll fl_menus 1
    xdotool key --window "$(xdotool search --onlyvisible --classname quillane.exe | head -1)" Escape
    sleep 0.5
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE in menu mode"
    expect "no floating window left" pg_drv gone-window QuillaneFloating 5

    # The same while the user drags it by its caption, the button still held.
    expect "quillane.exe starts in mode 3" fl_start
    read -r l t r b <<<"$(fl_get rect)"
    xdotool mousemove $((l + 20)) $((t + 8)) mousedown 1 sleep 0.3 mousemove $((l - 30)) $((t + 60))
    sleep 0.5
    pg_close
    xdotool mouseup 1
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE during a drag"
}

add_scenario floating-first-start fl_scenario_first_start
add_scenario floating-desktops fl_scenario_desktops
add_scenario floating-rows fl_scenario_rows
add_scenario floating-topmost fl_scenario_topmost
add_scenario floating-system-menu fl_scenario_system_menu
add_scenario floating-on-screen fl_scenario_on_screen
add_scenario floating-close-in-menu-mode fl_scenario_close_in_menu_mode
