# quillane.exe among other programs: messages arriving inside its delete confirmation, a window
# whose thread stops answering, and a taskbar that comes back. Sourced by tests/wine/run.sh.

# shellcheck source=tests/wine/scenario_helpers.sh
. "$(dirname "${BASH_SOURCE[0]}")/../scenario_helpers.sh"

# rb_boxes: the number of message boxes and dialogs on the screen.
rb_boxes() {
    pg_drv count '#32770'
    tr -d '\r\n' <"$WINE_OUT"
}

# rb_titles: the stored titles, "Home Work" and the like.
rb_titles() {
    local n count out=()
    count=$(pg_value "$PG_SETTINGS" Desktop | sed -n 's/.*data=\(..\).*/\1/p')
    for ((n = 1; n <= 16#${count:-0}; n++)); do
        out+=("$(pg_value "$PG_SETTINGS\\Desktop$n" DesktopTitle | sed 's/.*text="\(.*\)"$/\1/')")
    done
    echo "${out[*]}"
}

# The deletion deletes the desktop its question named. While the question is open, a click on
# another desktop's icon shows nothing (the question stays about the desktop on the screen).
rb_scenario_delete_named() {
    pg_seed_desktops Home Work Play
    expect "window R1 on Home" pg_windows R 1
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 1")" "1 1 1" "three icons"

    pg_drv post Quillane "$WM_COMMAND" "$(pg_desktop_command 3 "$IDM_DESKTOP_DELETE")" 0 # "Play"
    expect "confirmation" pg_dialog Confirmation
    expect_eq "$(pg_control 65535 | sed 's/.* text=//')" '"Would you really delete the desktop named "Play" ?"' \
        "question names Play"
    expect "Play is shown while asking" pg_iconic 1 R1
    pg_click_icon 1 # desktop 2, "Work"
    pg_show 2
    pg_drv send Quillane "$WM_NULL" 0 0 # the program answers: both clicks were handled
    expect_eq "$(rb_boxes)" 1 "still one question"
    pg_keys Return
    expect "Yes closes the confirmation" pg_gone Confirmation
    expect_eq "$(pg_wait_value "$PG_SETTINGS" Desktop "type=4 size=4 data=02000000")" \
        "type=4 size=4 data=02000000" "two desktops left"
    expect_eq "$(rb_titles)" "Home Work" "Play deleted, Work kept"
    expect "back on Home" pg_iconic 0 R1
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons"
    pg_stop
}

# A second Delete inside the question asks nothing and deletes nothing: Yes deletes one desktop.
rb_scenario_delete_twice() {
    pg_seed_desktops One Two Three
    expect "quillane.exe starts" pg_start_with_keys
    pg_drv post Quillane "$WM_COMMAND" "$IDM_DELETE_CURRENT_DESKTOP" 0
    expect "confirmation" pg_dialog Confirmation
    pg_drv post Quillane "$WM_COMMAND" "$IDM_DELETE_CURRENT_DESKTOP" 0
    pg_drv post Quillane "$WM_COMMAND" "$IDM_ABOUT" 0 # About: opens inside the question once the 112 before it ran
    expect "About box inside the question" pg_probe window "About" 10
    expect_eq "$(rb_boxes)" 2 "the question and the About box, no second question"
    pg_keys Escape
    expect "About box closed" pg_gone "About"
    expect "the question is still open" pg_dialog Confirmation
    # The keyboard focus went back to the About box's hidden owner: Yes is pressed by message.
    pg_drv post '#32770' "$WM_COMMAND" "$IDYES" 0
    expect "the question is answered" pg_gone Confirmation
    pg_drv send Quillane "$WM_NULL" 0 0
    expect_eq "$(pg_value "$PG_SETTINGS" Desktop | cut -d' ' -f1-2)" "type=4 size=4" "Desktop stored"
    expect_eq "$(pg_value "$PG_SETTINGS" Desktop)" "type=4 size=4 data=02000000" "one desktop deleted at most"
    expect "still running" kill -0 "$PG_QUILLANE"
    pg_stop
}

# Six deletions posted at once with four desktops: one question; Yes leaves three desktops, and
# the program goes on (a Create after it works).
rb_scenario_delete_six() {
    local i
    pg_seed_desktops A B C D
    expect "quillane.exe starts" pg_start_with_keys
    for ((i = 0; i < 6; i++)); do pg_drv post Quillane "$WM_COMMAND" "$IDM_DELETE_CURRENT_DESKTOP" 0; done
    expect "confirmation" pg_dialog Confirmation
    pg_drv send Quillane "$WM_NULL" 0 0
    expect_eq "$(rb_boxes)" 1 "one question for six requests"
    pg_keys Return
    expect "Yes closes it" pg_gone Confirmation
    pg_probe window Confirmation 1.5
    expect_eq "$WINE_RC" 1 "no further question"
    expect_eq "$(pg_wait_value "$PG_SETTINGS" Desktop "type=4 size=4 data=03000000")" \
        "type=4 size=4 data=03000000" "three desktops"
    expect_eq "$(rb_titles)" "B C D" "the first desktop deleted"
    pg_drv post Quillane "$WM_COMMAND" "$IDM_CREATE_DESKTOP" 0
    expect_eq "$(pg_wait_value "$PG_SETTINGS" Desktop "type=4 size=4 data=04000000")" \
        "type=4 size=4 data=04000000" "a Create afterwards"
    expect "still running" kill -0 "$PG_QUILLANE"
    pg_stop
}

# A window whose thread stops pumping, on the desktop being left: the switch ends, the program
# answers, the other windows go and come back, the hung window stays as it was.
rb_scenario_hung_window() {
    local hung_out="$WS_DIR/out/$WS_PREFIX_NAME.hung.out" hung_pid
    expect "windows G1, G2" pg_windows G 2
    wine "$BUILD/tests/wine/driver.exe" hung-window Stuck </dev/null >"$hung_out" 2>&1 &
    hung_pid=$!
    expect "window Stuck" pg_drv wait-title Stuck 15
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons"
    pg_drv post QuillaneDriverHung 0x464 0 0 # WM_USER + 100: its thread sleeps from now on

    pg_click_icon 1
    expect "the switch minimises the others" pg_iconic 1 G1 G2
    expect "the program answers after the switch" pg_drv send Quillane "$WM_NULL" 0 0
    expect_eq "$(pg_iconic_state Stuck)" "iconic=0" "the hung window is left as it was"
    pg_click_icon 1 # the shown desktop: nothing, and no wait
    pg_show 2
    expect "the program still answers" pg_drv send Quillane "$WM_NULL" 0 0
    pg_click_icon 0
    expect "the others come back" pg_iconic 0 G1 G2
    expect "the program answers after the way back" pg_drv send Quillane "$WM_NULL" 0 0
    pg_stop
    kill "$hung_pid" 2>/dev/null || true
}

# A program with four windows on one thread that works for 400 ms once the minimise or restore
# of its first window has returned (a message it posted itself in that WM_SIZE), beside an
# ordinary window: through 1 -> 2 -> 1 and the quit from desktop 2, every window is where its
# desktop says within a second of the switch's end; the calls wait for the program instead.
# LATE: the program works for 4.5 s, set working right before each switch and the quit only,
# for longer than a thread is waited for: its windows are left as they are and catch up once the
# work ends (the simulator checks the second; here only that they come); the quit's program stays
# until they are back. (Were each catch-up's restore to set it working again, its windows would
# come back one per spell of work, as they should, after up to four of them.)
rb_slow_program() {
    local late=$1 within=1 ms=400
    work() { [[ $late == 0 ]] || expect "set working" pg_drv post QuillaneDriverSlow $((WM_USER + 101)) 0 0; }
    # wait_iconic DESCRIPTION 0|1: the windows in that state within the time allowed; when not,
    # where each of them is, for the log.
    wait_iconic() {
        if pg_drv wait-iconic "$2" "$within" S1 S2 S3 S4 O1; then
            pass
        else
            fail "$1 (within $within s)"
            pg_drv state S1 S2 S3 S4 O1
            sed 's/^/    /' "$WINE_OUT"
        fi
    }
    # 1.5 s of work left after the switch, then a turn of the catch-up; checked with room for
    # a heavily loaded machine, where Wine's timers and waits came seconds late.
    local told=
    [[ $late == 0 ]] || within=15 ms=4500 told=told
    expect "window O1" pg_windows O 1
    pg_background slow slow-windows S "$ms" $told
    expect "windows S1..S4" pg_wait_output "$PG_BG_OUT" ready 15
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons"
    work
    pg_show 2
    expect "the switch has ended" pg_drv send Quillane "$WM_NULL" 0 0
    wait_iconic "desktop 2: all four minimised" 1
    sleep 1.2 # the program rests
    work
    pg_show 1
    expect "the way back has ended" pg_drv send Quillane "$WM_NULL" 0 0
    wait_iconic "desktop 1: all four back" 0
    wine_screenshot "$WS_DIR/out/$WS_PREFIX_NAME.slow-back.png"
    sleep 1.2
    pg_show 2
    wait_iconic "desktop 2 again" 1
    sleep 1.2
    work
    pg_close
    expect_eq "$WINE_RC" 0 "the program ends, exit code 0"
    expect "after the quit: all four back" pg_drv wait-iconic 0 1 S1 S2 S3 S4 O1
    pg_end_background "$PG_BG_PID"
}
rb_scenario_slow_program() { rb_slow_program 0; }
rb_scenario_late_program() { rb_slow_program 1; }

# The shell's "TaskbarCreated" after the icons were lost: they come back with the shown
# desktop's picture and answer clicks; in mode 2 the single icon comes back. Then the same
# losses without the broadcast, which a second start of the program repairs.
rb_scenario_taskbar_created() {
    local current other
    expect "window T1" pg_windows T 1
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons"
    pg_click_icon 1
    expect "on desktop 2" pg_iconic 1 T1
    pg_shot
    other=$(pg_icon_sig 0)
    current=$(pg_icon_sig 1)

    expect "icons deleted from outside" pg_drv tray-delete Quillane 1 2
    expect_eq "$(pg_wait_icons "0 0 0")" "0 0 0" "no icons left"
    expect "TaskbarCreated" pg_drv taskbar-created Quillane
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "both icons back"
    pg_shot
    expect_eq "$(pg_icon_sig 0)" "$other" "icon 1 back with the other-desktop picture"
    expect_eq "$(pg_icon_sig 1)" "$current" "icon 2 back with the current-desktop picture"
    pg_click_icon 0
    expect "icon 1 answers a click" pg_iconic 0 T1
    expect "icon 1 opens the menu" pg_open_menu 0
    pg_keys Escape
    expect "menu closed" pg_menu_closed
    expect "TaskbarCreated with the icons still there" pg_drv taskbar-created Quillane
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "still two icons"

    pg_drv send Quillane "$WM_COMMAND" "$IDM_DISPLAY_MENU" 0
    expect_eq "$(pg_wait_icons "1 0 0")" "1 0 0" "one icon in mode 2"
    expect "main icon deleted from outside" pg_drv tray-delete Quillane 0
    expect_eq "$(pg_wait_icons "0 0 0")" "0 0 0" "no icon left"
    expect "TaskbarCreated in mode 2" pg_drv taskbar-created Quillane
    expect_eq "$(pg_wait_icons "1 0 0")" "1 0 0" "the main icon back"
    expect "the main icon opens the menu" pg_open_menu 0
    pg_keys Escape
    expect "menu closed" pg_menu_closed

    # A taskbar that restarts without the broadcast (Windows 95 and NT 4.0 as they came): the
    # user starts the program again, which puts the icons back and shows its About box.
    expect "main icon deleted, nothing sent" pg_drv tray-delete Quillane 0
    expect_eq "$(pg_wait_icons "0 0 0")" "0 0 0" "no icon left"
    pg_second_start
    expect_eq "$(pg_wait_icons "1 0 0")" "1 0 0" "a second start brings the main icon back"
    rb_close_about
    expect "the main icon opens the menu after it" pg_open_menu 0
    pg_keys Escape
    expect "menu closed" pg_menu_closed
    pg_drv send Quillane "$WM_COMMAND" "$IDM_DISPLAY_TASKBAR" 0
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons in mode 1"
    expect "icons deleted, nothing sent" pg_drv tray-delete Quillane 1 2
    expect_eq "$(pg_wait_icons "0 0 0")" "0 0 0" "no icons left"
    pg_second_start
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "a second start brings both icons back"
    rb_close_about
    pg_shot # desktop 1 is shown since the click above
    expect_eq "$(pg_icon_sig 0)" "$current" "icon 1 back with the current-desktop picture"
    expect_eq "$(pg_icon_sig 1)" "$other" "icon 2 back with the other-desktop picture"
    pg_second_start # the icons are there: none is added twice
    rb_close_about
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "still two icons after a third start"
    pg_click_icon 1
    expect "icon 2 answers a click" pg_iconic 1 T1
    pg_stop
}

# rb_close_about: the About box a second start opened is there, and closes.
rb_close_about() {
    expect "the About box of the second start" pg_drv wait-window '#32770' 10
    pg_drv post '#32770' "$WM_CLOSE" 0 0
    expect "About box closed" pg_drv gone-window '#32770' 10
}

# rb_where TITLE: "x=L y=T visible=0|1 iconic=0|1" of the titled window.
rb_where() {
    pg_drv where "$1"
    tr -d '\r' <"$WINE_OUT"
}

# rb_wait_where TITLE PATTERN: the window reaches that place and state (10 s at most).
rb_is_where() {
    # shellcheck disable=SC2053 # a pattern
    [[ $(rb_where "$1") == $2 ]]
}
rb_wait_where() { pg_poll 50 0.2 rb_is_where "$1" "$2"; }

# A window its program hides when minimised, and a pop-up its program restores whenever it is
# minimised: after 1 -> 2 -> 1 both are back where they stood, and so after a quit from desktop
# 2 and after a quit from desktop 1 with both sent to desktop 2. A pop-up that refuses
# minimises until its user minimises it, sent to desktop 2 and minimised there, stays so.
rb_scenario_hiding_windows() {
    local out="$WS_DIR/out/$WS_PREFIX_NAME.habits.out" pid hider refuser shown
    wine "$BUILD/tests/wine/driver.exe" habits Test </dev/null >"$out" 2>&1 &
    pid=$!
    expect "window TestRefuser" pg_drv wait-title TestRefuser 15
    hider=$(rb_where TestHider)
    refuser=$(rb_where TestRefuser)
    expect_eq "$refuser" "x=200 y=150 visible=1 iconic=0" "the pop-up at its place"
    pg_drv wait-title TestYielder 5
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons"

    pg_click_icon 1
    expect "desktop 2: the hider hides itself" rb_wait_where TestHider "* visible=0 iconic=1"
    expect_eq "$(rb_where TestRefuser)" "x=3000 y=3000 visible=1 iconic=0" "the pop-up refused, off the screen"
    pg_click_icon 0
    expect "desktop 1: the hider is back" rb_wait_where TestHider "$hider"
    expect "desktop 1: the pop-up is back" rb_wait_where TestRefuser "$refuser"
    pg_click_icon 1
    expect "desktop 2 again" rb_wait_where TestRefuser "x=3000 y=3000 visible=1 iconic=0"
    pg_stop
    expect "after the quit from desktop 2: the hider" rb_wait_where TestHider "$hider"
    expect "after the quit from desktop 2: the pop-up" rb_wait_where TestRefuser "$refuser"

    expect "quillane.exe starts again" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons again"
    for shown in TestHider TestRefuser TestYielder; do
        pg_drv wait-title "$shown" 5
        pg_drv post Quillane "$UM_MOVETODESKTOP" "$(head -1 "$WINE_OUT" | tr -d '\r' | cut -d' ' -f1)" 2
    done
    expect "sent to desktop 2: the hider" rb_wait_where TestHider "* visible=0 iconic=1"
    expect "sent to desktop 2: the pop-up" rb_wait_where TestRefuser "x=3000 y=3000 visible=1 iconic=0"
    expect "sent to desktop 2: the other pop-up" rb_wait_where TestYielder "x=3000 y=3000 visible=1 iconic=0"
    pg_drv minimize TestYielder
    expect "minimised by its user" rb_wait_where TestYielder "* visible=1 iconic=1"
    pg_stop
    expect "after the quit from desktop 1: the hider" rb_wait_where TestHider "$hider"
    expect "after the quit from desktop 1: the pop-up" rb_wait_where TestRefuser "$refuser"
    # Its restore place is given back through SetWindowPlacement, which Wine refuses for another
    # process's window: only that the quit leaves it minimised, and goes on, is seen here.
    expect_eq "$(rb_where TestYielder | cut -d' ' -f3-)" "visible=1 iconic=1" "the other pop-up still minimised"
    kill "$pid" 2>/dev/null || true
}

# rb_show N: desktop N shown, as its icon or hot key asks (UM_DESKTOP N with WM_LBUTTONDOWN).
rb_show() {
    pg_drv send Quillane $((WM_USER + $1)) 0 "$WM_LBUTTONDOWN"
}

# rb_handle TITLE: the window's handle, as the Applications commands name it.
rb_handle() {
    pg_drv wait-title "$1" 5
    head -1 "$WINE_OUT" | tr -d '\r' | cut -d' ' -f1
}

# rb_owned STATE WHEN: both owners and their pop-ups in STATE, "shown" (each at its place) or
# "away" (the owners minimised, their pop-ups hidden with them and not minimised).
rb_owned() {
    local title
    for title in TestOwner TestNote; do
        if [[ $1 == shown ]]; then
            expect "$2: $title shown" rb_wait_where "$title" "* visible=1 iconic=0"
        else
            expect "$2: $title minimised" rb_wait_where "$title" "* visible=1 iconic=1"
        fi
    done
    if [[ $1 == shown ]]; then
        expect "$2: the Find box at its place" rb_wait_where TestFind "x=420 y=300 visible=1 iconic=0"
        expect "$2: the modal About box at its place" rb_wait_where TestAbout "x=420 y=450 visible=1 iconic=0"
    else
        expect "$2: the Find box hidden with its owner" rb_wait_where TestFind "x=420 y=300 visible=0 iconic=0"
        expect "$2: the About box hidden with its owner" rb_wait_where TestAbout "x=420 y=450 visible=0 iconic=0"
    fi
}

# Owners whose pop-ups Windows hides and shows with them (a Notepad with its modeless Find box,
# another with its modal About box): the pop-ups go wherever their owners go, through 1 -> 2 ->
# 1, a move to desktop 2 and back, sticky, the deletion of the owners' desktop and the quit from
# either desktop, never minimised or left at 3000, 3000. A window its program hides after a
# switch minimised it stays hidden through the return and the quit.
rb_scenario_owned_windows() {
    local out="$WS_DIR/out/$WS_PREFIX_NAME.owners.out" pid owner note title
    pg_seed_desktops One Two Three
    wine "$BUILD/tests/wine/driver.exe" owners Test </dev/null >"$out" 2>&1 &
    pid=$!
    expect "window TestPlain" pg_drv wait-title TestPlain 15
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 1")" "1 1 1" "three icons"
    owner=$(rb_handle TestOwner)
    note=$(rb_handle TestNote)

    rb_show 2
    rb_owned away "1 -> 2"
    pg_drv show TestPlain 0 # its program hides it on desktop 2
    rb_show 1
    rb_owned shown "2 -> 1"
    expect "the hidden window stays hidden" rb_wait_where TestPlain "* visible=0 iconic=1"

    for title in "$owner" "$note"; do pg_drv post Quillane "$UM_MOVETODESKTOP" "$title" 2; done
    rb_owned away "both owners sent to desktop 2"
    rb_show 2
    rb_owned shown "desktop 2"
    for title in "$owner" "$note"; do pg_drv post Quillane "$UM_MOVETODESKTOP" "$title" 1; done
    rb_owned away "both sent back to desktop 1"
    rb_show 1
    rb_owned shown "back on desktop 1"

    for title in "$owner" "$note"; do
        pg_drv post Quillane "$UM_MOVETODESKTOP" "$title" 1
        pg_drv post Quillane "$UM_SETSTICKY" "$title" 1
    done
    rb_show 3
    rb_owned shown "sticky, on desktop 3"
    rb_show 1
    rb_owned shown "sticky, on desktop 1"
    for title in "$owner" "$note"; do pg_drv post Quillane "$UM_MOVETODESKTOP" "$title" 2; done
    rb_owned away "sent to desktop 2"

    # Desktop 2's Delete, chosen on desktop 1.
    pg_drv post Quillane "$WM_COMMAND" "$(pg_desktop_command 2 "$IDM_DESKTOP_DELETE")" 0
    expect "confirmation" pg_dialog Confirmation
    pg_keys Return
    expect "Yes closes the confirmation" pg_gone Confirmation
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons"
    rb_owned away "their desktop deleted from desktop 1"
    rb_show 2
    rb_owned shown "the merged desktop"
    wine_screenshot "$WS_DIR/out/$WS_PREFIX_NAME.owned-merged.png"

    pg_drv post Quillane "$UM_MOVETODESKTOP" "$owner" 1
    pg_stop # from desktop 2: desktop 1 is shown, the Note stays minimised with its About box
    expect "after the quit from desktop 2: the Find box" rb_wait_where TestFind "x=420 y=300 visible=1 iconic=0"
    expect "after the quit from desktop 2: the Note minimised" rb_wait_where TestNote "* visible=1 iconic=1"
    expect "after the quit from desktop 2: its About box hidden with it" rb_wait_where TestAbout "x=420 y=450 visible=0 iconic=0"
    expect "after the quit: the hidden window still hidden" rb_wait_where TestPlain "* visible=0 iconic=1"
    pg_drv show TestNote 9 # the user restores it from the taskbar
    expect "restored, the Note brings its About box back" rb_wait_where TestAbout "x=420 y=450 visible=1 iconic=0"

    expect "quillane.exe starts again" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons again"
    pg_drv post Quillane "$UM_MOVETODESKTOP" "$owner" 2
    expect "sent to desktop 2: the Find box hidden with its owner" rb_wait_where TestFind "x=420 y=300 visible=0 iconic=0"
    pg_stop # from desktop 1
    expect "after the quit from desktop 1: the Owner minimised" rb_wait_where TestOwner "* visible=1 iconic=1"
    expect "after the quit from desktop 1: the Find box hidden with it" rb_wait_where TestFind "x=420 y=300 visible=0 iconic=0"
    expect "after the quit from desktop 1: the Note" rb_wait_where TestNote "* visible=1 iconic=0"
    expect "after the quit from desktop 1: the About box" rb_wait_where TestAbout "x=420 y=450 visible=1 iconic=0"
    pg_drv show TestOwner 9
    expect "restored, the Owner brings its Find box back" rb_wait_where TestFind "x=420 y=300 visible=1 iconic=0"
    wine_screenshot "$WS_DIR/out/$WS_PREFIX_NAME.owned-after-quit.png"
    kill "$pid" 2>/dev/null || true
}

# rb_down TITLE WHEN: the window is off the screen, minimised or hidden (10 s at most).
rb_is_down() {
    local at
    at=$(rb_where "$1")
    [[ $at == *"iconic=1" || $at == *"visible=0 "* ]]
}
rb_down() { expect "$2: $1 off the screen" pg_poll 50 0.2 rb_is_down "$1"; }

# rb_plain_up WHEN [TITLE...]: the windows of plain-owners on the screen, each at its place, but
# the ones named, which are off it; WFormB stays minimised by its user, WPlain on top and active.
rb_plain_up() {
    local when=$1 title
    shift
    local -A place=([WOwner]="*" [WFind]="x=420 y=300" [WNote]="*" [WAbout]="x=420 y=450" [WFormA]="*"
        [WTool]="*" [WMain]="*" [WPlain]="*")
    for title in "${!place[@]}"; do
        if [[ " $* " == *" $title "* ]]; then
            rb_down "$title" "$when"
        else
            expect "$when: $title shown at its place" rb_wait_where "$title" "${place[$title]} visible=1 iconic=0"
        fi
    done
    expect "$when: WFormB still minimised by its user" rb_wait_where WFormB "* visible=1 iconic=1"
}

# rb_plain_on_top WHEN: WPlain above the other windows of desktop 1, and active.
rb_plain_on_top() {
    sleep 0.3
    expect_eq "$(pg_state WPlain WOwner WFind WNote WAbout WFormA WTool WMain | head -1 | cut -d' ' -f1,4,5)" \
        "WPlain foreground=1 z=0" "$1: WPlain on top and active"
}

# Owners that hide and show nothing themselves, so that Wine's own way is the one met: it leaves
# owned windows on the screen when their owner is minimised. A Notepad with its modeless Find
# box, another with its modal About box, a framework's forms owned by a window never shown (two
# with WS_EX_APPWINDOW, one the user minimised; a tool form), a main form owned by a visible
# application window of no size, and a plain window on top and active: through 1 -> 2 -> 1, a
# move of the owner there and back, the Find box sent alone to desktop 2 (shown there without its
# owner) and back, sticky and the quit, nothing of desktop 1 stays on another
# desktop's screen, and desktop 1 comes back whole, with its top window active and the user's
# minimise kept.
rb_scenario_plain_owners() {
    local out="$WS_DIR/out/$WS_PREFIX_NAME.plain-owners.out" pid owner find order all="WOwner WFind WNote WAbout WFormA WTool WMain"
    pg_seed_desktops One Two Three
    wine "$BUILD/tests/wine/driver.exe" plain-owners W </dev/null >"$out" 2>&1 &
    pid=$!
    expect "window WPlain" pg_drv wait-title WPlain 15
    pg_drv show WFormB 6 # its user minimises it
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 1")" "1 1 1" "three icons"
    pg_click 750 150 # the user brings the plain window to the top
    rb_plain_on_top "before the first switch"
    owner=$(rb_handle WOwner)

    rb_show 2
    rb_plain_up "1 -> 2" $all WPlain
    wine_screenshot "$WS_DIR/out/$WS_PREFIX_NAME.plain-owners-away.png"
    rb_show 1
    rb_plain_up "2 -> 1"
    rb_plain_on_top "2 -> 1"
    wine_screenshot "$WS_DIR/out/$WS_PREFIX_NAME.plain-owners-back.png"

    pg_drv post Quillane "$UM_MOVETODESKTOP" "$owner" 2
    rb_plain_up "the Owner sent to desktop 2" WOwner WFind
    pg_drv post Quillane "$UM_MOVETODESKTOP" "$owner" 1
    rb_plain_up "the Owner sent back"

    # The Find box sent alone: on the screen of its new desktop, without its owner; then back.
    find=$(rb_handle WFind)
    pg_drv post Quillane "$UM_MOVETODESKTOP" "$find" 2
    rb_down WFind "the Find box sent alone to desktop 2"
    rb_show 2
    rb_plain_up "the Find box alone on desktop 2" WOwner WNote WAbout WFormA WTool WMain WPlain
    wine_screenshot "$WS_DIR/out/$WS_PREFIX_NAME.plain-owners-find-alone.png"
    rb_show 1
    rb_plain_up "desktop 1 without the Find box" WFind
    pg_drv post Quillane "$UM_MOVETODESKTOP" "$find" 1
    rb_plain_up "the Find box back with its owner"

    pg_drv post Quillane "$UM_SETSTICKY" "$owner" 1
    rb_show 3
    rb_plain_up "the Owner sticky, on desktop 3" WNote WAbout WFormA WTool WMain WPlain
    rb_show 1
    rb_plain_up "sticky, back on desktop 1"
    pg_drv post Quillane "$UM_SETSTICKY" "$owner" 0

    # The user minimises the application through its main form, which minimises the application
    # window (Wine leaves the form up): a return keeps the application down, its form as it was.
    pg_drv send QuillaneDriverMainForm "$WM_SYSCOMMAND" "$SC_MINIMIZE" 0
    expect "the application minimised" rb_wait_where WAppWindow "* visible=1 iconic=1"
    rb_show 2
    rb_down WMain "the application minimised, desktop 2"
    rb_show 1
    expect "back on desktop 1: the application still minimised" rb_wait_where WAppWindow "* visible=1 iconic=1"
    expect "back on desktop 1: its main form as it was" rb_wait_where WMain "* visible=1 iconic=0"
    pg_drv show WAppWindow 9 # the user restores it from its taskbar button
    expect "restored by its user" rb_wait_where WAppWindow "* visible=1 iconic=0"
    sleep 0.3
    order=$(pg_state WPlain $all | cut -d' ' -f1,5 | tr '\n' ' ')
    rb_show 2
    rb_plain_up "on desktop 2 again" $all WPlain
    pg_stop # from desktop 2: desktop 1 comes back as it was left
    rb_plain_up "after the quit"
    sleep 0.3
    expect_eq "$(pg_state WPlain $all | cut -d' ' -f1,5 | tr '\n' ' ')" "$order" \
        "after the quit: desktop 1 in the order it was left"
    expect_eq "$(pg_state WPlain $all | grep -c 'foreground=1 z=0')" 1 "after the quit: its top window active"
    kill "$pid" 2>/dev/null || true
}

# What the check for a hung window costs next to what it guards (figures, no verdict).
rb_scenario_answer_cost() {
    expect "windows C1..C20" pg_windows C 20
    expect "measured" pg_drv answer-cost C 20 5
    sed 's/^/  /' "$WINE_OUT"
}

# WM_CLOSE (as an uninstall start posts it) while the delete question is open on desktop 3: the
# program still shows desktop 1 before it ends, and deletes nothing.
rb_scenario_close_in_question() {
    pg_seed_desktops Home Work Play
    expect "window K1 on Home" pg_windows K 1
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 1")" "1 1 1" "three icons"
    pg_click_icon 2
    expect "Play shown" pg_iconic 1 K1
    pg_drv post Quillane "$WM_COMMAND" "$IDM_DELETE_CURRENT_DESKTOP" 0
    expect "confirmation" pg_dialog Confirmation
    pg_drv post Quillane "$WM_CLOSE" 0 0
    wine_wait 20 "$PG_QUILLANE"
    expect_eq "$WINE_RC" 0 "the program ends, exit code 0"
    expect_eq "$(pg_iconic_state K1)" "iconic=0" "Home shown before the end"
    expect_eq "$(pg_value "$PG_SETTINGS" Desktop)" "type=4 size=4 data=03000000" "nothing deleted"
}

# The same with the command menu open on desktop 2: the menu goes, desktop 1 comes back.
rb_scenario_close_in_menu() {
    expect "window M1 on desktop 1" pg_windows M 1
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons"
    pg_click_icon 1
    expect "desktop 2 shown" pg_iconic 1 M1
    expect "menu open" pg_open_menu 1
    pg_drv post Quillane "$WM_CLOSE" 0 0
    wine_wait 20 "$PG_QUILLANE"
    expect_eq "$WINE_RC" 0 "the program ends, exit code 0"
    expect_eq "$(pg_iconic_state M1)" "iconic=0" "desktop 1 shown before the end"
    expect "no menu left" pg_menu_closed
}

# Another program sends the About box WM_INITDIALOG twice, with an lParam of its own: the links
# still work, the box closes, and About opens a fresh one.
rb_scenario_about_init_again() {
    expect "quillane.exe starts" pg_start_with_keys
    pg_drv post Quillane "$WM_COMMAND" "$IDM_ABOUT" 0
    expect "About box" pg_probe window "About" 10
    expect "WM_INITDIALOG again" pg_drv send '#32770' "$WM_INITDIALOG" 0 0x1234
    expect "and again" pg_drv send '#32770' "$WM_INITDIALOG" 0 0
    xdotool mousemove 700 600 mousemove 880 660 mousemove 880 676 # over the box and its links
    expect "the program answers" pg_drv send Quillane "$WM_NULL" 0 0
    pg_drv post '#32770' "$WM_COMMAND" "$IDCANCEL" 0 # Esc
    expect "About box closed" pg_gone "About"
    pg_drv post Quillane "$WM_COMMAND" "$IDM_ABOUT" 0
    expect "a fresh About box" pg_probe window "About" 10
    pg_drv post '#32770' "$WM_COMMAND" "$IDOK" 0
    expect "closed again" pg_gone "About"
    expect "still running" kill -0 "$PG_QUILLANE"
    pg_stop
}

# rb_marks TITLE: how many of the program's marks the window carries.
rb_marks() {
    pg_drv marks "$1" >/dev/null
    tr -d '\r\n' <"$WINE_OUT"
}

# On desktop 1 an ordinary window, a caption-less pop-up and a tool window; desktop 2 shown; the
# program ended from outside, as the task list does. Each of the three carries its mark. A
# second start puts them back where they stood, as desktop 1's: a switch to desktop 2 takes them
# down again and desktop 1 brings them back. Its quit leaves them on the screen, with no mark.
rb_scenario_ended_from_outside() {
    local out="$WS_DIR/out/$WS_PREFIX_NAME.kinds.out" pid w
    local -A at
    wine "$BUILD/tests/wine/driver.exe" kinds Kind </dev/null >"$out" 2>&1 &
    pid=$!
    expect "window KindTool" pg_drv wait-title KindTool 15
    for w in KindPlain KindPopup KindTool; do at[$w]=$(rb_where "$w"); done
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons"
    rb_show 2
    expect "desktop 2: the three are minimised" pg_iconic 1 KindPlain KindPopup KindTool
    expect "ended from outside" pg_drv terminate Quillane
    wine_wait 20 "$PG_QUILLANE"
    for w in KindPlain KindPopup KindTool; do expect_eq "$(rb_marks "$w")" "marks=1" "$w marked"; done
    expect_eq "$(pg_iconic_state KindTool)" "iconic=1" "the tool window left minimised"

    expect "quillane.exe starts again" pg_start_with_keys
    expect "the second start puts them back" pg_iconic 0 KindPlain KindPopup KindTool
    for w in KindPlain KindPopup KindTool; do
        expect "$w back where it stood" rb_wait_where "$w" "${at[$w]}"
        expect_eq "$(rb_marks "$w")" "marks=0" "$w no longer marked"
    done
    rb_show 2
    expect "desktop 1's: down with it" pg_iconic 1 KindPlain KindPopup KindTool
    rb_show 1
    expect "and back with it" pg_iconic 0 KindPlain KindPopup KindTool
    rb_show 2
    expect "desktop 2 again" pg_iconic 1 KindPlain KindPopup KindTool
    pg_stop
    expect "the second quit: all three back" pg_iconic 0 KindPlain KindPopup KindTool
    for w in KindPlain KindPopup KindTool; do
        expect "$w where it stood after the quit" rb_wait_where "$w" "${at[$w]}"
        expect_eq "$(rb_marks "$w")" "marks=0" "$w without a mark after the quit"
    done
    kill "$pid" 2>/dev/null || true
}

add_scenario robust-delete-named rb_scenario_delete_named
add_scenario robust-delete-twice rb_scenario_delete_twice
add_scenario robust-delete-six rb_scenario_delete_six
add_scenario robust-hung-window rb_scenario_hung_window
add_scenario robust-slow-program rb_scenario_slow_program
add_scenario robust-late-program rb_scenario_late_program
add_scenario robust-taskbar-created rb_scenario_taskbar_created
add_version_runs robust-taskbar-created
add_scenario robust-answer-cost rb_scenario_answer_cost
add_scenario robust-close-in-question rb_scenario_close_in_question
add_scenario robust-about-init-again rb_scenario_about_init_again
add_scenario robust-hiding-windows rb_scenario_hiding_windows
add_scenario robust-owned-windows rb_scenario_owned_windows
add_scenario robust-plain-owners rb_scenario_plain_owners
add_scenario robust-close-in-menu rb_scenario_close_in_menu
add_scenario robust-ended-from-outside rb_scenario_ended_from_outside
