# The command menu of a notification icon, driven from the keyboard as a user would: creating
# and deleting desktops, sending a window to another desktop, the Rename and Hot key dialogs,
# quitting. Sourced by tests/wine/run.sh ($BUILD, pass/fail/expect/expect_eq).
#
# Keys for quillane.exe's menus, dialogs and message boxes go with XSendEvent to its own hidden
# main X window, from where its X driver queues them as keyboard input for the foreground
# window. Pressed through XTEST they land on whatever X window has the X focus, which after a
# click on a notification icon is often still the taskbar's; the taskbar's process then passes
# them on and they never reach quillane.exe's menu or dialog. Hot keys, which the server matches
# before any window sees them, are pressed through XTEST. Icon k sits at x = 1014 - 20k, y = 758.

MN_SETTINGS='HKCU\Software\Halvern\Quillane'
MN_PID=""
MN_XWIN=""

# mn_drv / mn_probe ARGS...: one run of the driver or the probe; output in $WINE_OUT.
mn_drv() {
    wine_run 30 "$BUILD/tests/wine/driver.exe" "$@"
    return "$WINE_RC"
}
mn_probe() {
    wine_run 30 "$BUILD/tests/wine/probe.exe" "$@"
    return "$WINE_RC"
}

# mn_value KEY NAME: "type=T size=S data=HEX" for numbers, "type=T size=S text=..." for texts,
# "missing" when absent.
mn_value() {
    if mn_drv reg-get "$1" "$2"; then
        if grep -q ' text=' "$WINE_OUT"; then sed 's/ data=[0-9A-F]*//' "$WINE_OUT"; else cat "$WINE_OUT"; fi
    else
        echo missing
    fi
}

# mn_wait_value KEY NAME EXPECTED: polls until the value reads EXPECTED (10 s at most); prints
# what it read last.
mn_wait_value() {
    local i value
    for ((i = 0; i < 40; i++)); do
        value=$(mn_value "$1" "$2")
        [[ $value == "$3" ]] && break
        sleep 0.25
    done
    printf '%s\n' "$value"
}

mn_subkeys() {
    mn_drv reg-keys "$MN_SETTINGS" || { echo missing; return; }
    sort "$WINE_OUT" | tr '\n' ' ' | sed 's/ $//'
}

# mn_seed_desktops TITLE...: stored settings as a previous run leaves them, one desktop per title.
mn_seed_desktops() {
    local n=0 title
    for title in "$@"; do
        n=$((n + 1))
        mn_drv reg-set-sz "$MN_SETTINGS\\Desktop$n" DesktopTitle "$title" 33
        mn_drv reg-set-dword "$MN_SETTINGS\\Desktop$n" HotKey 0
    done
    mn_drv reg-set-dword "$MN_SETTINGS" Desktop "$n"
}

# mn_windows PREFIX NAME: one ordinary window PREFIX1 in a background driver (output file named
# after NAME), waited for.
mn_windows() {
    wine "$BUILD/tests/wine/driver.exe" windows "$1" 1 </dev/null >"$WS_DIR/out/$WS_PREFIX_NAME.windows-$2.out" 2>&1 &
    mn_drv wait-title "${1}1" 15
}

# mn_state TITLE: "iconic=0" or "iconic=1".
mn_state() { mn_drv state "$1" && cut -d' ' -f2 "$WINE_OUT"; }

# mn_iconic 0|1 TITLE...: every titled window reaches that state (10 s at most).
mn_iconic() {
    local state=$1
    shift
    mn_drv wait-iconic "$state" 10 "$@"
}

# ---------------------------------------------------------------------------------------------
# The screen

# mn_icons: "1 1 0" = which of the icon positions 0, 1, 2 show an icon, each compared with a
# square of the same taskbar where no icon ever is (position 5).
mn_icons() {
    local shot empty k out=()
    xdotool mousemove 512 300 # no tool tip over the icons
    sleep 0.3
    shot="$WS_DIR/out/$WS_PREFIX_NAME.icons.png"
    wine_screenshot "$shot"
    empty=$(convert "$shot" -crop "16x16+$((1006 - 20 * 5))+750" +repage -format '%#' info:)
    for k in 0 1 2; do
        if [[ $(convert "$shot" -crop "16x16+$((1006 - 20 * k))+750" +repage -format '%#' info:) == "$empty" ]]; then
            out+=(0)
        else
            out+=(1)
        fi
    done
    echo "${out[*]}"
}

# mn_wait_icons EXPECTED: polls the notification area until it shows EXPECTED (10 s at most).
mn_wait_icons() {
    local i icons
    for ((i = 0; i < 20; i++)); do
        icons=$(mn_icons)
        [[ $icons == "$1" ]] && break
        sleep 0.2
    done
    printf '%s\n' "$icons"
}

mn_menu_open() { [[ -n $(xdotool search --onlyvisible --classname quillane.exe 2>/dev/null) ]]; }

# mn_open_menu K: right click on icon K; true once the command menu is on the screen.
mn_open_menu() {
    local i
    xdotool mousemove $((1014 - 20 * $1)) 758 click 3
    for ((i = 0; i < 50; i++)); do
        mn_menu_open && return 0
        sleep 0.1
    done
    return 1
}

# mn_keys KEY...: keys for quillane.exe's menu, dialog or message box (see the top).
mn_keys() {
    local key
    for key in "$@"; do
        xdotool key --window "$MN_XWIN" "$key"
        sleep 0.2
    done
}

# mn_type TEXT: typed into quillane.exe's dialog. A sent event's modifier state is not taken
# as a held Shift, so capitals go as Shift presses of their own.
mn_type() {
    local text=$1 i char
    for ((i = 0; i < ${#text}; i++)); do
        char=${text:i:1}
        case $char in
        [A-Z]) xdotool key --window "$MN_XWIN" "shift+${char,}" ;;
        ' ') xdotool key --window "$MN_XWIN" space ;;
        *) xdotool type --window "$MN_XWIN" -- "$char" ;;
        esac
    done
    sleep 0.2
}

# mn_menu_closed: true once no menu is shown; Escape closes what a test left open.
mn_menu_closed() {
    local i
    for ((i = 0; i < 20; i++)); do
        mn_menu_open || return 0
        ((i % 5 == 4)) && mn_keys Escape
        sleep 0.1
    done
    return 1
}

# mn_left_click K: left click on icon K (shows that desktop).
mn_left_click() {
    xdotool mousemove $((1014 - 20 * $1)) 758 click 1
    sleep 0.3
}

# mn_dialog CAPTION-START: waits for the dialog or message box; its controls in $WINE_OUT.
mn_dialog() { mn_probe window "$1" 10; }
mn_caption() { sed -n 's/^window .* caption="\(.*\)"$/\1/p' "$WINE_OUT"; }
# mn_control ID: the probe's line for control ID, without the "control id=ID " head.
mn_control() { sed -n "s/^control id=$1 //p" "$WINE_OUT" | head -1; }
mn_gone() { mn_probe gone "$1" 10; }

# ---------------------------------------------------------------------------------------------
# The program

mn_start() {
    local i
    wine "$BUILD/app/quillane.exe" </dev/null >"$WS_DIR/out/$WS_PREFIX_NAME.quillane.out" 2>&1 &
    MN_PID=$!
    mn_drv wait-window Quillane 20 || return 1
    MN_XWIN=""
    for ((i = 0; i < 100; i++)); do
        MN_XWIN=$(xdotool search --name '^Quillane v2\.0$' 2>/dev/null | head -1)
        [[ -n $MN_XWIN ]] && break
        sleep 0.1
    done
    [[ -n $MN_XWIN ]]
}

# mn_stop: WM_CLOSE from outside; the program must end with 0.
mn_stop() {
    kill -0 "$MN_PID" 2>/dev/null || return 0
    mn_drv post Quillane 16 0 0
    wine_wait 20 "$MN_PID"
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
}

# ---------------------------------------------------------------------------------------------
# Scenarios

# "Create a new desktop": a third record with its default title, a third icon that is that
# desktop's (its Rename dialog names it, a left click shows it).
mn_scenario_create() {
    expect "window C1" mn_windows C c
    expect "quillane.exe starts" mn_start
    expect_eq "$(mn_wait_icons "1 1 0")" "1 1 0" "two icons at the start"
    expect "menu on icon 1" mn_open_menu 0
    mn_keys c
    expect "menu closed by its mnemonic" mn_menu_closed
    expect_eq "$(mn_wait_value "$MN_SETTINGS" Desktop "type=4 size=4 data=03000000")" \
        "type=4 size=4 data=03000000" "desktop count saved"
    expect_eq "$(mn_subkeys)" "Desktop1 Desktop2 Desktop3" "desktop subkeys"
    expect_eq "$(mn_value "$MN_SETTINGS\\Desktop3" DesktopTitle)" 'type=1 size=33 text="Desktop 3"' \
        "title of the new desktop"
    expect_eq "$(mn_value "$MN_SETTINGS\\Desktop1" DesktopTitle)" 'type=1 size=33 text="Desktop 1"' \
        "title of desktop 1 unchanged"
    expect_eq "$(mn_wait_icons "1 1 1")" "1 1 1" "a third icon"
    expect_eq "$(mn_state C1)" "iconic=0" "a new desktop is not shown"

    expect "menu on icon 3" mn_open_menu 2
    mn_keys Down Right r
    expect "Rename dialog from icon 3" mn_dialog "Rename the desktop"
    expect_eq "$(mn_caption)" 'Rename the desktop "Desktop 3"' "icon 3 stands for desktop 3"
    mn_keys Escape
    expect "Rename dialog cancelled" mn_gone "Rename the desktop"

    mn_left_click 2
    expect "icon 3 shows desktop 3" mn_iconic 1 C1
    mn_left_click 0
    expect "icon 1 shows desktop 1 again" mn_iconic 0 C1
    mn_stop
}

# "Delete" of a desktop that is not shown: the program shows it while asking; No changes
# nothing; Yes renumbers the later desktops, removes the last icon and comes back to desktop 1.
# With two desktops left, Delete is greyed and its key does nothing.
mn_scenario_delete() {
    mn_seed_desktops "Desktop 1" "Desktop 2" "Gamma"
    expect "window D1" mn_windows D d
    expect "quillane.exe starts" mn_start
    expect_eq "$(mn_wait_icons "1 1 1")" "1 1 1" "three icons from the stored settings"

    expect "menu on icon 2" mn_open_menu 1
    mn_keys Down Right d
    expect "confirmation" mn_dialog Confirmation
    expect_eq "$(mn_control 65535 | sed 's/.* text=//')" '"Would you really delete the desktop named "Desktop 2" ?"' \
        "question names desktop 2"
    expect_eq "$(mn_state D1)" "iconic=1" "desktop 2 is shown while asking"
    mn_keys n
    expect "No closes the confirmation" mn_gone Confirmation
    expect "back on desktop 1 after No" mn_iconic 0 D1
    expect_eq "$(mn_value "$MN_SETTINGS" Desktop)" "type=4 size=4 data=03000000" "still three desktops after No"
    expect_eq "$(mn_subkeys)" "Desktop1 Desktop2 Desktop3" "subkeys after No"

    expect "menu on icon 2 again" mn_open_menu 1
    mn_keys Down Right d
    expect "confirmation again" mn_dialog Confirmation
    mn_keys Return
    expect "Yes closes the confirmation" mn_gone Confirmation
    expect_eq "$(mn_wait_value "$MN_SETTINGS" Desktop "type=4 size=4 data=02000000")" \
        "type=4 size=4 data=02000000" "two desktops after Yes"
    expect_eq "$(mn_subkeys)" "Desktop1 Desktop2" "the last subkey is gone"
    expect_eq "$(mn_value "$MN_SETTINGS\\Desktop2" DesktopTitle)" 'type=1 size=33 text="Gamma"' \
        "desktop 3 moved down to 2"
    expect_eq "$(mn_value "$MN_SETTINGS\\Desktop1" DesktopTitle)" 'type=1 size=33 text="Desktop 1"' \
        "desktop 1 untouched"
    expect "back on desktop 1 after the deletion" mn_iconic 0 D1
    expect_eq "$(mn_wait_icons "1 1 0")" "1 1 0" "third icon removed"

    expect "menu with two desktops" mn_open_menu 0
    mn_keys Down Right d
    mn_probe window Confirmation 1.5
    expect_eq "$WINE_RC" 1 "greyed Delete asks nothing"
    expect "menu closed" mn_menu_closed
    expect_eq "$(mn_value "$MN_SETTINGS" Desktop)" "type=4 size=4 data=02000000" "still two desktops"
    expect_eq "$(mn_state D1)" "iconic=0" "desktop 1 still shown"
    mn_stop
}

# Applications: J1 goes to desktop 2 (minimised at once, K1 stays), comes back with desktop 2
# and leaves with it; made sticky it is brought back and stays through switches.
mn_scenario_move_window() {
    # The "&" gives each window's item a mnemonic in the Applications submenu.
    expect "window &J1" mn_windows "&J" j
    expect "window &K1" mn_windows "&K" k
    expect "quillane.exe starts" mn_start
    expect_eq "$(mn_wait_icons "1 1 0")" "1 1 0" "two icons"

    expect "menu on icon 1" mn_open_menu 0
    # Applications, J1's submenu (its first item, Sticky, selected), past the separator and
    # desktop 1 to desktop 2.
    mn_keys a j Down Down Return
    expect "menu closed" mn_menu_closed
    expect "J1 minimised at once" mn_iconic 1 "&J1"
    expect_eq "$(mn_state "&K1")" "iconic=0" "K1 stays"

    mn_left_click 1
    expect "J1 back with desktop 2" mn_iconic 0 "&J1"
    expect "K1 leaves with desktop 1" mn_iconic 1 "&K1"
    mn_left_click 0
    expect "K1 back on desktop 1" mn_iconic 0 "&K1"
    expect "J1 leaves with desktop 2" mn_iconic 1 "&J1"

    expect "menu on icon 1 again" mn_open_menu 0
    mn_keys a j Return # Sticky
    expect "menu closed after Sticky" mn_menu_closed
    expect "sticky J1 brought to the shown desktop" mn_iconic 0 "&J1"
    mn_left_click 1
    expect "K1 leaves with desktop 1" mn_iconic 1 "&K1"
    expect_eq "$(mn_state "&J1")" "iconic=0" "sticky J1 stays on desktop 2"
    mn_left_click 0
    expect "K1 back" mn_iconic 0 "&K1"
    expect_eq "$(mn_state "&J1")" "iconic=0" "sticky J1 stays on desktop 1"
    mn_stop
}

# Rename: the dialog names the desktop and offers its title; OK saves the typed title, at most
# 32 characters; Cancel keeps it; another desktop's Rename touches only that desktop.
mn_scenario_rename() {
    local long="Office of the Quillane team and friends"
    expect "quillane.exe starts" mn_start
    expect_eq "$(mn_wait_icons "1 1 0")" "1 1 0" "two icons"

    expect "menu on icon 1" mn_open_menu 0
    mn_keys Down Right r
    expect "Rename dialog" mn_dialog "Rename the desktop"
    expect_eq "$(mn_caption)" 'Rename the desktop "Desktop 1"' "caption"
    expect_eq "$(mn_control 100)" 'class=Edit enabled=1 visible=1 focus=1 text="Desktop 1"' \
        "edit box holds the title and has the focus"
    mn_type "Office"
    mn_keys Return
    expect "OK closes the dialog" mn_gone "Rename the desktop"
    expect_eq "$(mn_wait_value "$MN_SETTINGS\\Desktop1" DesktopTitle 'type=1 size=33 text="Office"')" \
        'type=1 size=33 text="Office"' "new title saved"

    expect "menu on icon 1 again" mn_open_menu 0
    mn_keys Down Right r
    expect "Rename dialog again" mn_dialog "Rename the desktop"
    expect_eq "$(mn_caption)" 'Rename the desktop "Office"' "caption with the new title"
    mn_type "$long"
    mn_keys Return
    expect "OK closes the dialog" mn_gone "Rename the desktop"
    expect_eq "$(mn_wait_value "$MN_SETTINGS\\Desktop1" DesktopTitle "type=1 size=33 text=\"${long:0:32}\"")" \
        "type=1 size=33 text=\"${long:0:32}\"" "title cut at 32 characters"

    expect "menu on icon 2" mn_open_menu 1
    mn_keys Down Right r
    expect "Rename dialog of desktop 2" mn_dialog "Rename the desktop"
    expect_eq "$(mn_caption)" 'Rename the desktop "Desktop 2"' "caption names desktop 2"
    mn_type "Never"
    mn_keys Escape
    expect "Cancel closes the dialog" mn_gone "Rename the desktop"
    sleep 0.5
    expect_eq "$(mn_value "$MN_SETTINGS\\Desktop2" DesktopTitle)" 'type=1 size=33 text="Desktop 2"' \
        "Cancel keeps the title"
    expect_eq "$(mn_value "$MN_SETTINGS\\Desktop1" DesktopTitle)" "type=1 size=33 text=\"${long:0:32}\"" \
        "desktop 1 keeps its title"

    # 32 of the widest letters are typed whole (more than the box shows at once).
    expect "menu on icon 2 again" mn_open_menu 1
    mn_keys Down Right r
    expect "Rename dialog of desktop 2 again" mn_dialog "Rename the desktop"
    mn_type "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"
    mn_keys Return
    expect "OK closes the dialog" mn_gone "Rename the desktop"
    expect_eq "$(mn_wait_value "$MN_SETTINGS\\Desktop2" DesktopTitle "type=1 size=33 text=\"$(printf 'W%.0s' {1..32})\"")" \
        "type=1 size=33 text=\"$(printf 'W%.0s' {1..32})\"" "32 wide letters saved"
    mn_stop
}

# Hot key: a combination another program holds is refused with a message and nothing is saved;
# the dialog stays open, a free one is saved and switches; the dialog shows it next time.
mn_scenario_hotkey() {
    local holder_out="$WS_DIR/out/$WS_PREFIX_NAME.holder.out" i
    wine "$BUILD/tests/wine/driver.exe" hold-hotkey 3 116 </dev/null >"$holder_out" 2>&1 & # Ctrl+Alt+F5
    for ((i = 0; i < 100; i++)); do
        grep -q held "$holder_out" 2>/dev/null && break
        sleep 0.1
    done
    expect "another program holds Ctrl+Alt+F5" grep -q held "$holder_out"
    expect "window H1" mn_windows H h
    expect "quillane.exe starts" mn_start
    expect_eq "$(mn_wait_icons "1 1 0")" "1 1 0" "two icons"

    expect "menu on icon 2" mn_open_menu 1
    mn_keys Down Right h
    expect "Hot key dialog" mn_dialog "Hot Key for the desktop"
    expect_eq "$(mn_caption)" 'Hot Key for the desktop "Desktop 2"' "caption"
    expect_eq "$(mn_control 500 | sed 's/.* text=//')" '"The current hot key is [None]\nSelect the new one :"' \
        "current hot key label"
    expect_eq "$(mn_control 105)" 'class=Button enabled=1 visible=1 checked=1 focus=0 text="No Hot Key"' \
        "No Hot Key ticked"
    expect_eq "$(mn_control 104 | cut -d' ' -f1-5)" "class=ListBox enabled=0 visible=1 count=24 selected=0" \
        "key list disabled, F1 selected"
    expect_eq "$(mn_control 1 | cut -d' ' -f1-4)" "class=Button enabled=1 visible=1 focus=1" "OK has the focus"

    # OK, Cancel, No Hot Key (untick), Control and Alt by their mnemonics, the list: F5.
    mn_keys Tab Tab space c a Tab Down Down Down Down
    expect "dialog still there" mn_dialog "Hot Key for the desktop"
    expect_eq "$(mn_control 102 | cut -d' ' -f1-4)" "class=Button enabled=1 visible=1 checked=1" "Control ticked"
    expect_eq "$(mn_control 103 | cut -d' ' -f1-4)" "class=Button enabled=1 visible=1 checked=1" "Alt ticked"
    expect_eq "$(mn_control 101 | cut -d' ' -f1-4)" "class=Button enabled=1 visible=1 checked=0" "Shift not ticked"
    expect_eq "$(mn_control 104 | cut -d' ' -f1-7)" 'class=ListBox enabled=1 visible=1 count=24 selected=4 item="F5" focus=1' \
        "F5 chosen in the list"
    mn_keys Return
    expect "conflict message" mn_dialog Information
    expect_eq "$(mn_control 65535 | sed 's/.* text=//')" \
        '"The hot key Ctrl+Alt+F5 is already in use.\nChoose another hot key."' "conflict text"
    expect_eq "$(sed -n 's/^window class=\([^ ]*\) owner=\([^ ]*\) .*/\1 \2/p' "$WINE_OUT")" "#32770 #32770" \
        "message box owned by the dialog"
    mn_keys Return
    expect "message closed" mn_gone Information
    expect "Hot key dialog stays open" mn_dialog "Hot Key for the desktop"
    expect_eq "$(mn_value "$MN_SETTINGS\\Desktop2" HotKey)" "type=4 size=4 data=00000000" "nothing saved"

    mn_keys Down Return # F6, Ctrl+Alt still ticked
    expect "OK closes the dialog" mn_gone "Hot Key for the desktop"
    expect_eq "$(mn_wait_value "$MN_SETTINGS\\Desktop2" HotKey "type=4 size=4 data=75000300")" \
        "type=4 size=4 data=75000300" "Ctrl+Alt+F6 saved"

    xdotool key ctrl+alt+F6 # XTEST: a real key press
    expect "Ctrl+Alt+F6 shows desktop 2" mn_iconic 1 H1
    mn_left_click 0
    expect "back on desktop 1" mn_iconic 0 H1

    expect "menu on icon 2 again" mn_open_menu 1
    mn_keys Down Right h
    expect "Hot key dialog again" mn_dialog "Hot Key for the desktop"
    expect_eq "$(mn_control 500 | sed 's/.* text=//')" '"The current hot key is Ctrl+Alt+F6\nSelect the new one :"' \
        "current hot key label shows the saved key"
    expect_eq "$(mn_control 105 | cut -d' ' -f1-4)" "class=Button enabled=1 visible=1 checked=0" "No Hot Key not ticked"
    expect_eq "$(mn_control 104 | cut -d' ' -f1-6)" 'class=ListBox enabled=1 visible=1 count=24 selected=5 item="F6"' \
        "F6 selected"
    mn_keys Escape
    expect "Cancel closes the dialog" mn_gone "Hot Key for the desktop"
    mn_stop
}

# Quit: No changes nothing (values written from outside stay, the program and its icons stay);
# Yes saves the settings, removes the icons and ends the program with 0.
mn_scenario_quit() {
    expect "quillane.exe starts" mn_start
    expect_eq "$(mn_wait_icons "1 1 0")" "1 1 0" "two icons"
    # Overwritten behind the program's back: only a save puts them right again.
    mn_drv reg-set-dword "$MN_SETTINGS" Desktop 7
    mn_drv reg-set-sz "$MN_SETTINGS\\Desktop1" DesktopTitle "Scribble" 33

    expect "menu on icon 1" mn_open_menu 0
    mn_keys q
    expect "quit confirmation" mn_dialog Confirmation
    expect_eq "$(mn_control 65535 | sed 's/.* text=//')" \
        '"If you quit this application, you will loose the multi-desktops property.\nWould you really quit Quillane ?"' \
        "quit question"
    mn_keys n
    expect "No closes the confirmation" mn_gone Confirmation
    sleep 0.5
    expect "still running after No" kill -0 "$MN_PID"
    expect "main window still there" mn_drv wait-window Quillane 1
    expect_eq "$(mn_value "$MN_SETTINGS" Desktop)" "type=4 size=4 data=07000000" "nothing saved after No"
    expect_eq "$(mn_wait_icons "1 1 0")" "1 1 0" "icons still there after No"

    expect "menu on icon 1 again" mn_open_menu 0
    mn_keys q
    expect "quit confirmation again" mn_dialog Confirmation
    mn_keys Return
    wine_wait 20 "$MN_PID"
    expect_eq "$WINE_RC" 0 "exit code after Quit"
    expect_eq "$(mn_value "$MN_SETTINGS" Desktop)" "type=4 size=4 data=02000000" "desktop count saved"
    expect_eq "$(mn_value "$MN_SETTINGS\\Desktop1" DesktopTitle)" 'type=1 size=33 text="Desktop 1"' \
        "desktop titles saved"
    expect "main window gone" mn_drv gone-window Quillane 1
    expect_eq "$(mn_icons)" "0 0 0" "icons removed"
}

add_scenario menus-create mn_scenario_create
add_scenario menus-delete mn_scenario_delete
add_scenario menus-move-window mn_scenario_move_window
add_scenario menus-rename mn_scenario_rename
add_scenario menus-hotkey mn_scenario_hotkey
add_scenario menus-quit mn_scenario_quit

# Every text of every dialog, in both languages, fits its control with the dialog's own font:
# the Hot key label with the longest key, the No Hot Key box, a 32-character title of wide
# letters typed into the Rename box, the About box's lines and links.
mn_scenario_texts() {
    mn_drv text-fit "$(winepath -w "$BUILD/app/quillane.exe")"
    expect_eq "$WINE_RC" 0 "every dialog text fits"
    grep -a 'DOES NOT FIT\|missing' "$WINE_OUT" | sed 's/^/  /' || true
}

# mn_about: what driver.exe sees of the About box, kept for mn_about_line (the callers run it
# in a subshell); its first line printed.
mn_about() {
    mn_drv about "About ..."
    cp "$WINE_OUT" "$WS_DIR/out/$WS_PREFIX_NAME.about.out"
    head -1 "$WINE_OUT"
}
# mn_about_line WORD: the line of the last mn_about that starts with WORD.
mn_about_line() { grep "^$1 " "$WS_DIR/out/$WS_PREFIX_NAME.about.out" | head -1; }
# mn_wait_about EXPECTED: polls the About box's first line until it reads EXPECTED (10 s).
mn_wait_about() {
    local i line
    for ((i = 0; i < 40; i++)); do
        line=$(mn_about)
        [[ $line == "$1" ]] && break
        sleep 0.25
    done
    printf '%s\n' "$line"
}
# mn_second_start: quillane.exe started again; it hands over to the running one and ends with 1.
mn_second_start() {
    wine_run 30 "$BUILD/app/quillane.exe"
    expect_eq "$WINE_RC" 1 "a second start ends with 1"
}
# mn_wait_cursor ==|!= CURSOR: polls the cursor's handle until it is (or is not) CURSOR (3 s);
# prints what it read last.
mn_wait_cursor() {
    local i cursor
    for ((i = 0; i < 12; i++)); do
        cursor=$(mn_drv cursor && cat "$WINE_OUT")
        if [[ $1 == "==" ]]; then [[ $cursor == "$2" ]] && break; else [[ $cursor != "$2" ]] && break; fi
        sleep 0.25
    done
    printf '%s\n' "$cursor"
}
# mn_wait_file FILE TEXT: polls until FILE holds the line TEXT (10 s).
mn_wait_file() {
    local i
    for ((i = 0; i < 40; i++)); do
        [[ -f $1 ]] && tr -d '\r' <"$1" | grep -qxF "$2" && return 0
        sleep 0.25
    done
    return 1
}

# About: a second start opens the box at the lower right of the work area, with its picture
# strip and links; more requests only bring it forward, also from minimised; a click on a link
# opens its address and leaves the box open; Esc closes it, the next request opens a new one,
# and its close box closes that one.
mn_scenario_about() {
    local links="$WS_DIR/out/$WS_PREFIX_NAME.links.txt" handler scheme x y
    # Addresses go to driver.exe, which notes them down, instead of a mail program or browser.
    handler="\"$(winepath -w "$BUILD/tests/wine/driver.exe")\" note \"$(winepath -w "$links")\" \"%1\""
    for scheme in mailto http; do
        mn_drv reg-set-sz "HKLM\\Software\\Classes\\$scheme\\shell\\open\\command" "" "$handler"
    done
    expect "quillane.exe starts" mn_start
    expect_eq "$(mn_wait_icons "1 1 0")" "1 1 0" "two icons"

    mn_second_start
    expect "About box" mn_dialog "About ..."
    expect_eq "$(mn_control 100 | sed 's/.* text=//')" '"Quillane v2.0"' "name and version"
    expect_eq "$(mn_control 500 | sed 's/.* text=//')" '"author@quillane.example"' "e-mail link"
    expect_eq "$(mn_control 501 | sed 's/.* text=//')" '"http://quillane.example/"' "web link"
    expect_eq "$(mn_wait_about "count=1 iconic=0 gap=0,0")" "count=1 iconic=0 gap=0,0" \
        "one box, its lower right corner on the work area's"
    expect_eq "$(mn_about_line strip | head -1)" "strip class=BitmapBackground at=10,50 size=40x190" \
        "picture strip window"
    # Bitmap32's shades 0 and 18 (24-bit screen).
    expect_eq "$(grep '^strip top=' "$WS_DIR/out/$WS_PREFIX_NAME.about.out")" "strip top=060A50 lower=1A7565" \
        "picture strip painted"
    read -r _ x y < <(mn_about_line frame | sed 's/frame x=\([0-9]*\) y=\([0-9]*\) .*/frame \1 \2/')
    mkdir -p "$BUILD/tests/wine/screenshots"
    wine_screenshot "$WS_DIR/out/about-screen.png"
    convert "$WS_DIR/out/about-screen.png" -crop "$(mn_about_line frame | sed 's/.* w=\([0-9]*\) h=\([0-9]*\)/\1x\2/')+$x+$y" \
        +repage -colors 256 "PNG8:$BUILD/tests/wine/screenshots/about.png" || true

    mn_second_start
    expect_eq "$(mn_about)" "count=1 iconic=0 gap=0,0" "a second request opens no second box"
    mn_drv show "About ..." 6 # SW_MINIMIZE
    expect_eq "$(mn_wait_about "count=1 iconic=1")" "count=1 iconic=1" "box minimised"
    mn_second_start
    expect_eq "$(mn_wait_about "count=1 iconic=0 gap=0,0")" "count=1 iconic=0 gap=0,0" \
        "the next request restores it, in its place"

    # The pointing hand over a link only: beside it, over the "e-mail :" label, another cursor.
    read -r x y < <(mn_about_line "link id=500" | sed 's/.* x=\([0-9]*\) y=\([0-9]*\)/\1 \2/')
    local label_x=$(($(mn_about_line frame | sed 's/frame x=\([0-9]*\) .*/\1/') + 70)) arrow hand
    xdotool mousemove "$label_x" "$y"
    sleep 0.3
    arrow=$(mn_drv cursor && cat "$WINE_OUT")
    xdotool mousemove "$x" "$y"
    hand=$(mn_wait_cursor != "$arrow")
    expect "another cursor over the link" test -n "$hand" -a "$hand" != "$arrow"
    xdotool mousemove "$label_x" "$y"
    expect_eq "$(mn_wait_cursor == "$arrow")" "$arrow" "the usual cursor again beside the link"
    xdotool mousemove "$x" "$y" click 1
    expect "e-mail link opens a mailto: address" mn_wait_file "$links" "mailto:author@quillane.example"
    read -r x y < <(mn_about_line "link id=501" | sed 's/.* x=\([0-9]*\) y=\([0-9]*\)/\1 \2/')
    xdotool mousemove "$x" "$y" click 1
    expect "web link opens the page" mn_wait_file "$links" "http://quillane.example/"
    expect_eq "$(mn_about)" "count=1 iconic=0 gap=0,0" "box still open after the clicks"

    # The program that took the address had the focus: the user clicks on the box's caption.
    read -r x y < <(mn_about_line frame | sed 's/frame x=\([0-9]*\) y=\([0-9]*\) .*/\1 \2/')
    xdotool mousemove $((x + 60)) $((y + 8)) click 1
    sleep 0.3
    mn_keys Escape
    expect "Esc closes the box" mn_gone "About ..."
    mn_second_start
    expect "a new box after the first closed" mn_dialog "About ..."
    mn_drv post "#32770" 0x0112 0xF060 0 # WM_SYSCOMMAND SC_CLOSE: the close box
    expect "the close box closes it" mn_gone "About ..."
    expect "still running" kill -0 "$MN_PID"
    mn_stop
}

add_scenario menus-texts mn_scenario_texts
add_scenario menus-about mn_scenario_about
