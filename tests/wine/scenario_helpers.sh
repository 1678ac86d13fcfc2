# What every scenario of tests/wine/scenarios/*.sh uses to start quillane.exe, drive it as a user
# would and read what it did: each scenario file sources this one (once is enough; later
# sources do nothing). Needs $BUILD and the pass/fail/expect/expect_eq of tests/wine/run.sh and
# the wine_* functions of scripts/wine-session.sh.
#
# The driver (tests/wine/driver.cpp) makes ordinary windows, reads their states and the
# registry, sends and posts messages; the probe (tests/wine/probe.cpp) reads quillane.exe's
# dialogs and message boxes; xdotool clicks and presses keys. Icon k (0-based, in the order they
# were added) sits at x = 1014 - 20k, y = 758 on the 1024x768 screen.
#
# Keys for quillane.exe's menus, dialogs and message boxes go with XSendEvent to its own hidden
# main X window (pg_keyboard), from where its X driver queues them as keyboard input for the
# foreground window. Pressed through XTEST they land on whatever X window has the X focus, which
# after a click on a notification icon is often still the taskbar's; the taskbar's process then
# passes them on and they never reach quillane.exe's menu or dialog. Hot keys, which the server
# matches before any window sees them, are pressed through XTEST.

# shellcheck disable=SC2034 # the variables are the scenario files'
[[ -z ${PG_HELPERS:-} ]] || return 0
PG_HELPERS=1

PG_SETTINGS='HKCU\Software\Halvern\Quillane'
PG_QUILLANE=""
PG_STARTS=0
PG_XWIN=""

# The program's resource numbers by their names in res/resource_ids.h (IDM_ABOUT, IDS_STICKY...),
# and the messages the scenarios send.
eval "$(sed -n 's/^#define Q_\(ID[A-Z_]*\) \([0-9][0-9]*\)\b.*/\1=\2/p' "$(dirname "${BASH_SOURCE[0]}")/../../res/resource_ids.h")"
WM_NULL=0
WM_CLOSE=16
WM_INITDIALOG=272
WM_COMMAND=273
WM_SYSCOMMAND=274
SC_MINIMIZE=61472
WM_LBUTTONDOWN=0x201
WM_USER=0x400
SC_CLOSE=0xF060
IDOK=1
IDCANCEL=2
IDYES=6
# UM_DESKTOP n is WM_USER + n.
UM_SETSTICKY=$((WM_USER + 33))
UM_MOVETODESKTOP=$((WM_USER + 34))

# ---------------------------------------------------------------------------------------------
# The tools

pg_driver_exe() { printf '%s\n' "$BUILD/tests/wine/driver.exe"; }

# pg_drv / pg_probe ARGS...: one run of the driver or the probe; output in $WINE_OUT, its exit
# code returned.
pg_drv() {
    wine_run 30 "$(pg_driver_exe)" "$@"
    return "$WINE_RC"
}
pg_probe() {
    wine_run 30 "$BUILD/tests/wine/probe.exe" "$@"
    return "$WINE_RC"
}

# pg_poll TRIES PAUSE COMMAND...: runs COMMAND until it succeeds, at most TRIES times PAUSE
# seconds apart.
pg_poll() {
    local tries=$1 pause=$2 i
    shift 2
    for ((i = 0; i < tries; i++)); do
        "$@" && return 0
        sleep "$pause"
    done
    return 1
}

# pg_until EXPECTED TRIES PAUSE COMMAND...: runs COMMAND until it prints EXPECTED, at most TRIES
# times PAUSE seconds apart; prints what it printed last.
pg_until() {
    local expected=$1 tries=$2 pause=$3 i out=""
    shift 3
    for ((i = 0; i < tries; i++)); do
        out=$("$@")
        [[ $out == "$expected" ]] && break
        sleep "$pause"
    done
    printf '%s\n' "$out"
}

# ---------------------------------------------------------------------------------------------
# The program

# pg_start [NAME=VALUE...]: starts quillane.exe in the background with that environment
# (e.g. a locale) and waits for its main window, which exists once the icons are added.
pg_start() {
    local base
    PG_STARTS=$((PG_STARTS + 1))
    base="$WS_DIR/out/$WS_PREFIX_NAME.quillane$PG_STARTS"
    env "$@" wine "$BUILD/app/quillane.exe" </dev/null >"$base.out" 2>"$base.err" &
    PG_QUILLANE=$!
    pg_drv wait-window Quillane 20
}

# pg_keyboard: the X window of quillane.exe's main window, for pg_keys and pg_type, in
# $PG_XWIN (10 s at most).
pg_find_keyboard() {
    PG_XWIN=$(xdotool search --name '^Quillane v2\.0$' 2>/dev/null | head -1)
    [[ -n $PG_XWIN ]]
}
pg_keyboard() { pg_poll 100 0.1 pg_find_keyboard; }

# pg_start_with_keys: pg_start, then the window that takes pg_keys and pg_type.
pg_start_with_keys() { pg_start "$@" && pg_keyboard; }

# pg_close: WM_CLOSE from outside, then the exit code of the process in $WINE_RC.
pg_close() {
    pg_drv post Quillane "$WM_CLOSE" 0 0
    wine_wait 20 "$PG_QUILLANE"
}

# pg_stop: pg_close unless the program has ended already; it must end with 0.
pg_stop() {
    kill -0 "$PG_QUILLANE" 2>/dev/null || return 0
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
}

# pg_second_start [WHICH]: quillane.exe started again; it hands over to the running one and
# ends with 1.
pg_second_start() {
    wine_run 30 "$BUILD/app/quillane.exe"
    expect_eq "$WINE_RC" 1 "exit code of the ${1:-second} start"
}

# pg_show N: UM_DESKTOP N with WM_LBUTTONDOWN, posted, as a click on desktop N's icon.
pg_show() { pg_drv post Quillane $((WM_USER + $1)) 0 "$WM_LBUTTONDOWN"; }
# pg_desktop_command N OP: the command of desktop N's submenu, OP one of $IDM_DESKTOP_ACTIVATE,
# $IDM_DESKTOP_RENAME, $IDM_DESKTOP_DELETE, $IDM_DESKTOP_HOTKEY.
pg_desktop_command() { echo $((IDM_FIRST_DESKTOP_COMMAND + IDM_DESKTOP_COMMAND_STEP * ($1 - 1) + $2)); }

# ---------------------------------------------------------------------------------------------
# Other programs' windows

# pg_background NAME DRIVER-ARGS...: a driver that keeps running (windows, hot key holder);
# its PID in $PG_BG_PID, its output in $PG_BG_OUT.
pg_background() {
    local name=$1
    shift
    PG_BG_OUT="$WS_DIR/out/$WS_PREFIX_NAME.$name.out"
    wine "$(pg_driver_exe)" "$@" </dev/null >"$PG_BG_OUT" 2>&1 &
    PG_BG_PID=$!
}

pg_end_background() {
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# pg_windows PREFIX N: N ordinary windows PREFIX1..PREFIXN, waited for.
pg_windows() {
    pg_background "windows-$1" windows "$1" "$2"
    pg_drv wait-title "$1$2" 15
}

# pg_has_line FILE TEXT: FILE holds a line equal to TEXT.
pg_has_line() { [[ -f $1 ]] && tr -d '\r' <"$1" | grep -qxF -- "$2"; }
# pg_wait_output FILE TEXT [SECONDS]: a background driver printed a line equal to TEXT.
pg_wait_output() { pg_poll $((${3:-10} * 20)) 0.05 pg_has_line "$1" "$2"; }

# pg_state TITLE...: "TITLE iconic=0|1 visible=0|1", a line a window.
pg_state() {
    pg_drv state "$@"
    cat "$WINE_OUT"
}
# pg_iconic_state TITLE: "iconic=0" or "iconic=1".
pg_iconic_state() { pg_drv state "$1" && cut -d' ' -f2 "$WINE_OUT"; }
# pg_iconic 0|1 TITLE...: every titled window reaches that state (10 s at most).
pg_iconic() {
    local state=$1
    shift
    pg_drv wait-iconic "$state" 10 "$@"
}

# ---------------------------------------------------------------------------------------------
# The registry

# pg_value KEY NAME: "type=T size=S data=HEX" for numbers, "type=T size=S text=..." for
# strings (the tail of a string field is not ours to judge), "missing" when absent.
pg_value() {
    if pg_drv reg-get "$1" "$2"; then
        if grep -q ' text=' "$WINE_OUT"; then sed 's/ data=[0-9A-F]*//' "$WINE_OUT"; else cat "$WINE_OUT"; fi
    else
        echo missing
    fi
}
# pg_wait_value KEY NAME EXPECTED: polls until the value reads EXPECTED (10 s at most); prints
# what it read last.
pg_wait_value() { pg_until "$3" 40 0.25 pg_value "$1" "$2"; }

# pg_sz FIELD TEXT: how pg_value shows a string the program wrote as a whole field of FIELD
# bytes: NT keeps the size written, the Windows 95 family the text and one zero.
pg_sz() {
    if windows_95_family; then
        printf 'type=1 size=%d text="%s"\n' $((${#2} + 1)) "$2"
    else
        printf 'type=1 size=%d text="%s"\n' "$1" "$2"
    fi
}

# pg_names reg-keys|reg-values KEY: the names sorted, on one line.
pg_names() {
    pg_drv "$1" "$2" || { echo missing; return; }
    sort "$WINE_OUT" | tr '\n' ' ' | sed 's/ $//'
}

# pg_seed_desktops TITLE...: stored settings as a previous run leaves them, one desktop per title.
pg_seed_desktops() {
    local n=0 title
    for title in "$@"; do
        n=$((n + 1))
        pg_drv reg-set-sz "$PG_SETTINGS\\Desktop$n" DesktopTitle "$title" 33
        pg_drv reg-set-dword "$PG_SETTINGS\\Desktop$n" HotKey 0
    done
    pg_drv reg-set-dword "$PG_SETTINGS" Desktop "$n"
}

# ---------------------------------------------------------------------------------------------
# The screen: notification icons

# pg_shot [NAME]: a screenshot in $PG_SHOT, without hover highlight or tool tip over the icons.
pg_shot() {
    xdotool mousemove 512 300
    sleep 0.3
    PG_SHOT="$WS_DIR/out/$WS_PREFIX_NAME.${1:-shot$((++PG_STARTS))}.png"
    wine_screenshot "$PG_SHOT"
}
# pg_icon_sig K [SHOT]: the signature of icon K's 16x16 square.
pg_icon_sig() {
    convert "${2:-$PG_SHOT}" -crop "16x16+$((1006 - 20 * $1))+750" +repage -format '%#' info:
}
# pg_icons: "1 1 0" = which of the positions 0, 1, 2 show an icon in the last screenshot, each
# compared with a square of the same taskbar where no icon ever is (position 5).
pg_icons() {
    local empty k out=()
    empty=$(pg_icon_sig 5)
    for k in 0 1 2; do
        if [[ $(pg_icon_sig "$k") == "$empty" ]]; then out+=(0); else out+=(1); fi
    done
    echo "${out[*]}"
}
# pg_icons_now: pg_icons of a new screenshot.
pg_icons_now() {
    pg_shot icons
    pg_icons
}
# pg_wait_icons EXPECTED: polls the notification area until it shows EXPECTED (10 s at most).
pg_wait_icons() { pg_until "$1" 20 0.2 pg_icons_now; }

pg_click() {
    xdotool mousemove "$1" "$2" click 1
    sleep 0.3
}
# pg_click_icon K: left click on icon K (shows that desktop).
pg_click_icon() { pg_click $((1014 - 20 * $1)) 758; }

# ---------------------------------------------------------------------------------------------
# Menus, keys and dialogs

pg_menu_open() { [[ -n $(xdotool search --onlyvisible --classname quillane.exe 2>/dev/null) ]]; }

# pg_open_menu K: right click on icon K; true once the command menu is on the screen.
pg_open_menu() {
    xdotool mousemove $((1014 - 20 * $1)) 758 click 3
    pg_poll 50 0.1 pg_menu_open
}

# pg_keys KEY...: keys for quillane.exe's menu, dialog or message box (see the top).
pg_keys() {
    local key
    for key in "$@"; do
        xdotool key --window "$PG_XWIN" "$key"
        sleep 0.2
    done
}

# pg_type TEXT: typed into quillane.exe's dialog. A sent event's modifier state is not taken
# as a held Shift, so capitals go as Shift presses of their own.
pg_type() {
    local text=$1 i char
    for ((i = 0; i < ${#text}; i++)); do
        char=${text:i:1}
        case $char in
        [A-Z]) xdotool key --window "$PG_XWIN" "shift+${char,}" ;;
        ' ') xdotool key --window "$PG_XWIN" space ;;
        *) xdotool type --window "$PG_XWIN" -- "$char" ;;
        esac
    done
    sleep 0.2
}

# pg_menu_closed: true once no menu is shown; Escape closes what a test left open.
pg_menu_closed() {
    local i
    for ((i = 0; i < 20; i++)); do
        pg_menu_open || return 0
        ((i % 5 == 4)) && pg_keys Escape
        sleep 0.1
    done
    return 1
}

# pg_dialog CAPTION-START: waits for the dialog or message box; its controls in $WINE_OUT.
pg_dialog() { pg_probe window "$1" 10; }
pg_caption() { sed -n 's/^window .* caption="\(.*\)"$/\1/p' "$WINE_OUT"; }
# pg_control ID: the probe's line for control ID, without the "control id=ID " head.
pg_control() { sed -n "s/^control id=$1 //p" "$WINE_OUT" | head -1; }
pg_gone() { pg_probe gone "$1" 10; }
