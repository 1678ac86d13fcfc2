# The command menu of a notification icon, driven from the keyboard as a user would: creating
# and deleting desktops, sending a window to another desktop, the Rename and Hot key dialogs,
# quitting. Sourced by tests/wine/run.sh ($BUILD, pass/fail/expect/expect_eq).

# shellcheck source=tests/wine/scenario_helpers.sh
. "$(dirname "${BASH_SOURCE[0]}")/../scenario_helpers.sh"

# ---------------------------------------------------------------------------------------------
# Scenarios

# "Create a new desktop": a third record with its default title, a third icon that is that
# desktop's (its Rename dialog names it, a left click shows it).
mn_scenario_create() {
    expect "window C1" pg_windows C 1
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons at the start"
    expect "menu on icon 1" pg_open_menu 0
    pg_keys c
    expect "menu closed by its mnemonic" pg_menu_closed
    expect_eq "$(pg_wait_value "$PG_SETTINGS" Desktop "type=4 size=4 data=03000000")" \
        "type=4 size=4 data=03000000" "desktop count saved"
    expect_eq "$(pg_names reg-keys "$PG_SETTINGS")" "Desktop1 Desktop2 Desktop3" "desktop subkeys"
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop3" DesktopTitle)" 'type=1 size=33 text="Desktop 3"' \
        "title of the new desktop"
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop1" DesktopTitle)" 'type=1 size=33 text="Desktop 1"' \
        "title of desktop 1 unchanged"
    expect_eq "$(pg_wait_icons "1 1 1")" "1 1 1" "a third icon"
    expect_eq "$(pg_iconic_state C1)" "iconic=0" "a new desktop is not shown"

    expect "menu on icon 3" pg_open_menu 2
    pg_keys Down Right r
    expect "Rename dialog from icon 3" pg_dialog "Rename the desktop"
    expect_eq "$(pg_caption)" 'Rename the desktop "Desktop 3"' "icon 3 stands for desktop 3"
    pg_keys Escape
    expect "Rename dialog cancelled" pg_gone "Rename the desktop"

    pg_click_icon 2
    expect "icon 3 shows desktop 3" pg_iconic 1 C1
    pg_click_icon 0
    expect "icon 1 shows desktop 1 again" pg_iconic 0 C1
    pg_stop
}

# "Delete" of a desktop that is not shown: the program shows it while asking; No changes
# nothing; Yes renumbers the later desktops, removes the last icon and comes back to desktop 1.
# With two desktops left, Delete is greyed and its key does nothing.
mn_scenario_delete() {
    pg_seed_desktops "Desktop 1" "Desktop 2" "Gamma"
    expect "window D1" pg_windows D 1
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 1")" "1 1 1" "three icons from the stored settings"

    expect "menu on icon 2" pg_open_menu 1
    pg_keys Down Right d
    expect "confirmation" pg_dialog Confirmation
    expect_eq "$(pg_control 65535 | sed 's/.* text=//')" '"Would you really delete the desktop named "Desktop 2" ?"' \
        "question names desktop 2"
    expect_eq "$(pg_iconic_state D1)" "iconic=1" "desktop 2 is shown while asking"
    pg_keys n
    expect "No closes the confirmation" pg_gone Confirmation
    expect "back on desktop 1 after No" pg_iconic 0 D1
    expect_eq "$(pg_value "$PG_SETTINGS" Desktop)" "type=4 size=4 data=03000000" "still three desktops after No"
    expect_eq "$(pg_names reg-keys "$PG_SETTINGS")" "Desktop1 Desktop2 Desktop3" "subkeys after No"

    expect "menu on icon 2 again" pg_open_menu 1
    pg_keys Down Right d
    expect "confirmation again" pg_dialog Confirmation
    pg_keys Return
    expect "Yes closes the confirmation" pg_gone Confirmation
    expect_eq "$(pg_wait_value "$PG_SETTINGS" Desktop "type=4 size=4 data=02000000")" \
        "type=4 size=4 data=02000000" "two desktops after Yes"
    expect_eq "$(pg_names reg-keys "$PG_SETTINGS")" "Desktop1 Desktop2" "the last subkey is gone"
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop2" DesktopTitle)" 'type=1 size=33 text="Gamma"' \
        "desktop 3 moved down to 2"
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop1" DesktopTitle)" 'type=1 size=33 text="Desktop 1"' \
        "desktop 1 untouched"
    expect "back on desktop 1 after the deletion" pg_iconic 0 D1
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "third icon removed"

    expect "menu with two desktops" pg_open_menu 0
    pg_keys Down Right d
    pg_probe window Confirmation 1.5
    expect_eq "$WINE_RC" 1 "greyed Delete asks nothing"
    expect "menu closed" pg_menu_closed
    expect_eq "$(pg_value "$PG_SETTINGS" Desktop)" "type=4 size=4 data=02000000" "still two desktops"
    expect_eq "$(pg_iconic_state D1)" "iconic=0" "desktop 1 still shown"
    pg_stop
}

# Applications: J1 goes to desktop 2 (minimised at once, K1 stays), comes back with desktop 2
# and leaves with it; made sticky it is brought back and stays through switches.
mn_scenario_move_window() {
    # The "&" gives each window's item a mnemonic in the Applications submenu.
    expect "window &J1" pg_windows "&J" 1
    expect "window &K1" pg_windows "&K" 1
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons"

    expect "menu on icon 1" pg_open_menu 0
    # Applications, J1's submenu (its first item, Sticky, selected), past the separator and
    # desktop 1 to desktop 2.
    pg_keys a j Down Down Return
    expect "menu closed" pg_menu_closed
    expect "J1 minimised at once" pg_iconic 1 "&J1"
    expect_eq "$(pg_iconic_state "&K1")" "iconic=0" "K1 stays"

    pg_click_icon 1
    expect "J1 back with desktop 2" pg_iconic 0 "&J1"
    expect "K1 leaves with desktop 1" pg_iconic 1 "&K1"
    pg_click_icon 0
    expect "K1 back on desktop 1" pg_iconic 0 "&K1"
    expect "J1 leaves with desktop 2" pg_iconic 1 "&J1"

    expect "menu on icon 1 again" pg_open_menu 0
    pg_keys a j Return # Sticky
    expect "menu closed after Sticky" pg_menu_closed
    expect "sticky J1 brought to the shown desktop" pg_iconic 0 "&J1"
    pg_click_icon 1
    expect "K1 leaves with desktop 1" pg_iconic 1 "&K1"
    expect_eq "$(pg_iconic_state "&J1")" "iconic=0" "sticky J1 stays on desktop 2"
    pg_click_icon 0
    expect "K1 back" pg_iconic 0 "&K1"
    expect_eq "$(pg_iconic_state "&J1")" "iconic=0" "sticky J1 stays on desktop 1"
    pg_stop
}

# Rename: the dialog names the desktop and offers its title; OK saves the typed title, at most
# 32 characters; Cancel keeps it; another desktop's Rename touches only that desktop.
mn_scenario_rename() {
    local long="Office of the Quillane team and friends"
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons"

    expect "menu on icon 1" pg_open_menu 0
    pg_keys Down Right r
    expect "Rename dialog" pg_dialog "Rename the desktop"
    expect_eq "$(pg_caption)" 'Rename the desktop "Desktop 1"' "caption"
    expect_eq "$(pg_control 100)" 'class=Edit enabled=1 visible=1 focus=1 text="Desktop 1"' \
        "edit box holds the title and has the focus"
    pg_type "Office"
    pg_keys Return
    expect "OK closes the dialog" pg_gone "Rename the desktop"
    expect_eq "$(pg_wait_value "$PG_SETTINGS\\Desktop1" DesktopTitle 'type=1 size=33 text="Office"')" \
        'type=1 size=33 text="Office"' "new title saved"

    expect "menu on icon 1 again" pg_open_menu 0
    pg_keys Down Right r
    expect "Rename dialog again" pg_dialog "Rename the desktop"
    expect_eq "$(pg_caption)" 'Rename the desktop "Office"' "caption with the new title"
    pg_type "$long"
    pg_keys Return
    expect "OK closes the dialog" pg_gone "Rename the desktop"
    expect_eq "$(pg_wait_value "$PG_SETTINGS\\Desktop1" DesktopTitle "type=1 size=33 text=\"${long:0:32}\"")" \
        "type=1 size=33 text=\"${long:0:32}\"" "title cut at 32 characters"

    expect "menu on icon 2" pg_open_menu 1
    pg_keys Down Right r
    expect "Rename dialog of desktop 2" pg_dialog "Rename the desktop"
    expect_eq "$(pg_caption)" 'Rename the desktop "Desktop 2"' "caption names desktop 2"
    pg_type "Never"
    pg_keys Escape
    expect "Cancel closes the dialog" pg_gone "Rename the desktop"
    sleep 0.5
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop2" DesktopTitle)" 'type=1 size=33 text="Desktop 2"' \
        "Cancel keeps the title"
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop1" DesktopTitle)" "type=1 size=33 text=\"${long:0:32}\"" \
        "desktop 1 keeps its title"

    # 32 of the widest letters are typed whole (more than the box shows at once).
    expect "menu on icon 2 again" pg_open_menu 1
    pg_keys Down Right r
    expect "Rename dialog of desktop 2 again" pg_dialog "Rename the desktop"
    pg_type "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"
    pg_keys Return
    expect "OK closes the dialog" pg_gone "Rename the desktop"
    expect_eq "$(pg_wait_value "$PG_SETTINGS\\Desktop2" DesktopTitle "type=1 size=33 text=\"$(printf 'W%.0s' {1..32})\"")" \
        "type=1 size=33 text=\"$(printf 'W%.0s' {1..32})\"" "32 wide letters saved"
    pg_stop
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
    expect "window H1" pg_windows H 1
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons"

    expect "menu on icon 2" pg_open_menu 1
    pg_keys Down Right h
    expect "Hot key dialog" pg_dialog "Hot Key for the desktop"
    expect_eq "$(pg_caption)" 'Hot Key for the desktop "Desktop 2"' "caption"
    expect_eq "$(pg_control 500 | sed 's/.* text=//')" '"The current hot key is [None]\nSelect the new one :"' \
        "current hot key label"
    expect_eq "$(pg_control 105)" 'class=Button enabled=1 visible=1 checked=1 focus=0 text="No Hot Key"' \
        "No Hot Key ticked"
    expect_eq "$(pg_control 104 | cut -d' ' -f1-5)" "class=ListBox enabled=0 visible=1 count=24 selected=0" \
        "key list disabled, F1 selected"
    expect_eq "$(pg_control 1 | cut -d' ' -f1-4)" "class=Button enabled=1 visible=1 focus=1" "OK has the focus"

    # OK, Cancel, No Hot Key (untick), Control and Alt by their mnemonics, the list: F5.
    pg_keys Tab Tab space c a Tab Down Down Down Down
    expect "dialog still there" pg_dialog "Hot Key for the desktop"
    expect_eq "$(pg_control 102 | cut -d' ' -f1-4)" "class=Button enabled=1 visible=1 checked=1" "Control ticked"
    expect_eq "$(pg_control 103 | cut -d' ' -f1-4)" "class=Button enabled=1 visible=1 checked=1" "Alt ticked"
    expect_eq "$(pg_control 101 | cut -d' ' -f1-4)" "class=Button enabled=1 visible=1 checked=0" "Shift not ticked"
    expect_eq "$(pg_control 104 | cut -d' ' -f1-7)" 'class=ListBox enabled=1 visible=1 count=24 selected=4 item="F5" focus=1' \
        "F5 chosen in the list"
    pg_keys Return
    expect "conflict message" pg_dialog Information
    expect_eq "$(pg_control 65535 | sed 's/.* text=//')" \
        '"The hot key Ctrl+Alt+F5 is already in use.\nChoose another hot key."' "conflict text"
    expect_eq "$(sed -n 's/^window class=\([^ ]*\) owner=\([^ ]*\) .*/\1 \2/p' "$WINE_OUT")" "#32770 #32770" \
        "message box owned by the dialog"
    pg_keys Return
    expect "message closed" pg_gone Information
    expect "Hot key dialog stays open" pg_dialog "Hot Key for the desktop"
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop2" HotKey)" "type=4 size=4 data=00000000" "nothing saved"

    pg_keys Down Return # F6, Ctrl+Alt still ticked
    expect "OK closes the dialog" pg_gone "Hot Key for the desktop"
    expect_eq "$(pg_wait_value "$PG_SETTINGS\\Desktop2" HotKey "type=4 size=4 data=75000300")" \
        "type=4 size=4 data=75000300" "Ctrl+Alt+F6 saved"

    xdotool key ctrl+alt+F6 # XTEST: a real key press
    expect "Ctrl+Alt+F6 shows desktop 2" pg_iconic 1 H1
    pg_click_icon 0
    expect "back on desktop 1" pg_iconic 0 H1

    expect "menu on icon 2 again" pg_open_menu 1
    pg_keys Down Right h
    expect "Hot key dialog again" pg_dialog "Hot Key for the desktop"
    expect_eq "$(pg_control 500 | sed 's/.* text=//')" '"The current hot key is Ctrl+Alt+F6\nSelect the new one :"' \
        "current hot key label shows the saved key"
    expect_eq "$(pg_control 105 | cut -d' ' -f1-4)" "class=Button enabled=1 visible=1 checked=0" "No Hot Key not ticked"
    expect_eq "$(pg_control 104 | cut -d' ' -f1-6)" 'class=ListBox enabled=1 visible=1 count=24 selected=5 item="F6"' \
        "F6 selected"
    pg_keys Escape
    expect "Cancel closes the dialog" pg_gone "Hot Key for the desktop"
    pg_stop
}

# Quit: No changes nothing (values written from outside stay, the program and its icons stay);
# Yes saves the settings, removes the icons and ends the program with 0.
mn_scenario_quit() {
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons"
    # Overwritten behind the program's back: only a save puts them right again.
    pg_drv reg-set-dword "$PG_SETTINGS" Desktop 7
    pg_drv reg-set-sz "$PG_SETTINGS\\Desktop1" DesktopTitle "Scribble" 33

    expect "menu on icon 1" pg_open_menu 0
    pg_keys q
    expect "quit confirmation" pg_dialog Confirmation
    expect_eq "$(pg_control 65535 | sed 's/.* text=//')" \
        '"If you quit this application, you will loose the multi-desktops property.\nWould you really quit Quillane ?"' \
        "quit question"
    pg_keys n
    expect "No closes the confirmation" pg_gone Confirmation
    sleep 0.5
    expect "still running after No" kill -0 "$PG_QUILLANE"
    expect "main window still there" pg_drv wait-window Quillane 1
    expect_eq "$(pg_value "$PG_SETTINGS" Desktop)" "type=4 size=4 data=07000000" "nothing saved after No"
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "icons still there after No"

    expect "menu on icon 1 again" pg_open_menu 0
    pg_keys q
    expect "quit confirmation again" pg_dialog Confirmation
    pg_keys Return
    wine_wait 20 "$PG_QUILLANE"
    expect_eq "$WINE_RC" 0 "exit code after Quit"
    expect_eq "$(pg_value "$PG_SETTINGS" Desktop)" "type=4 size=4 data=02000000" "desktop count saved"
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop1" DesktopTitle)" 'type=1 size=33 text="Desktop 1"' \
        "desktop titles saved"
    expect "main window gone" pg_drv gone-window Quillane 1
    expect_eq "$(pg_icons_now)" "0 0 0" "icons removed"
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
    pg_drv text-fit "$(winepath -w "$BUILD/app/quillane.exe")"
    expect_eq "$WINE_RC" 0 "every dialog text fits"
    grep -a 'DOES NOT FIT\|missing' "$WINE_OUT" | sed 's/^/  /' || true
}

# mn_about: what driver.exe sees of the About box, kept for mn_about_line (the callers run it
# in a subshell); its first line printed.
mn_about() {
    pg_drv about "About ..."
    cp "$WINE_OUT" "$WS_DIR/out/$WS_PREFIX_NAME.about.out"
    head -1 "$WINE_OUT"
}
# mn_about_line WORD: the line of the last mn_about that starts with WORD.
mn_about_line() { grep "^$1 " "$WS_DIR/out/$WS_PREFIX_NAME.about.out" | head -1; }
# mn_wait_about EXPECTED: polls the About box's first line until it reads EXPECTED (10 s).
mn_wait_about() { pg_until "$1" 40 0.25 mn_about; }
# mn_wait_cursor ==|!= CURSOR: polls the cursor's handle until it is (or is not) CURSOR (3 s);
# prints what it read last.
mn_wait_cursor() {
    local i cursor
    for ((i = 0; i < 12; i++)); do
        cursor=$(pg_drv cursor && cat "$WINE_OUT")
        if [[ $1 == "==" ]]; then [[ $cursor == "$2" ]] && break; else [[ $cursor != "$2" ]] && break; fi
        sleep 0.25
    done
    printf '%s\n' "$cursor"
}
# mn_wait_file FILE TEXT: polls until FILE holds the line TEXT (10 s).
mn_wait_file() { pg_poll 40 0.25 pg_has_line "$1" "$2"; }

# About: a second start opens the box at the lower right of the work area, with its picture
# strip and links; more requests only bring it forward, also from minimised; a click on a link
# opens its address and leaves the box open; Esc closes it, the next request opens a new one,
# and its close box closes that one.
mn_scenario_about() {
    local links="$WS_DIR/out/$WS_PREFIX_NAME.links.txt" handler scheme x y
    # Addresses go to driver.exe, which notes them down, instead of a mail program or browser.
    handler="\"$(winepath -w "$BUILD/tests/wine/driver.exe")\" note \"$(winepath -w "$links")\" \"%1\""
    for scheme in mailto http; do
        pg_drv reg-set-sz "HKLM\\Software\\Classes\\$scheme\\shell\\open\\command" "" "$handler"
    done
    expect "quillane.exe starts" pg_start_with_keys
    expect_eq "$(pg_wait_icons "1 1 0")" "1 1 0" "two icons"

    pg_second_start
    expect "About box" pg_dialog "About ..."
    expect_eq "$(pg_control 100 | sed 's/.* text=//')" '"Quillane v2.0"' "name and version"
    expect_eq "$(pg_control 500 | sed 's/.* text=//')" '"author@quillane.example"' "e-mail link"
    expect_eq "$(pg_control 501 | sed 's/.* text=//')" '"http://quillane.example/"' "web link"
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

    pg_second_start
    expect_eq "$(mn_about)" "count=1 iconic=0 gap=0,0" "a second request opens no second box"
    pg_drv show "About ..." 6 # SW_MINIMIZE
    expect_eq "$(mn_wait_about "count=1 iconic=1")" "count=1 iconic=1" "box minimised"
    pg_second_start
    expect_eq "$(mn_wait_about "count=1 iconic=0 gap=0,0")" "count=1 iconic=0 gap=0,0" \
        "the next request restores it, in its place"

    # The pointing hand over a link only: beside it, over the "e-mail :" label, another cursor.
    read -r x y < <(mn_about_line "link id=500" | sed 's/.* x=\([0-9]*\) y=\([0-9]*\)/\1 \2/')
    local label_x=$(($(mn_about_line frame | sed 's/frame x=\([0-9]*\) .*/\1/') + 70)) arrow hand
    xdotool mousemove "$label_x" "$y"
    sleep 0.3
    arrow=$(pg_drv cursor && cat "$WINE_OUT")
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
    pg_keys Escape
    expect "Esc closes the box" pg_gone "About ..."
    pg_second_start
    expect "a new box after the first closed" pg_dialog "About ..."
    pg_drv post "#32770" "$WM_SYSCOMMAND" "$SC_CLOSE" 0 # the close box
    expect "the close box closes it" pg_gone "About ..."
    expect "still running" kill -0 "$PG_QUILLANE"
    pg_stop
}

add_scenario menus-texts mn_scenario_texts
add_scenario menus-about mn_scenario_about
