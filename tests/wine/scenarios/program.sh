# quillane.exe itself under Wine: first run in both languages, the hand-over to a running
# instance, switching by icon and by hot key, the display modes, a hot key taken by another
# program, and closing from outside. Sourced by tests/wine/run.sh ($BUILD, pass/fail/expect).

# shellcheck source=tests/wine/scenario_helpers.sh
. "$(dirname "${BASH_SOURCE[0]}")/../scenario_helpers.sh"

# The settings a first run leaves: three values, two desktops with their titles.
pg_check_first_run_settings() {
    local word=$1 n key name text
    expect_eq "$(pg_names reg-values "$PG_SETTINGS")" "Desktop RowsFloating Wallpaper" "values of the settings key"
    expect_eq "$(pg_value "$PG_SETTINGS" Desktop)" "type=4 size=4 data=02000000" "Desktop"
    expect_eq "$(pg_value "$PG_SETTINGS" Wallpaper)" "type=4 size=1 data=01" "Wallpaper flag, one byte"
    expect_eq "$(pg_value "$PG_SETTINGS" RowsFloating)" "type=4 size=4 data=01000000" "RowsFloating"
    expect_eq "$(pg_names reg-keys "$PG_SETTINGS")" "Desktop1 Desktop2" "desktop subkeys"
    for n in 1 2; do
        key="$PG_SETTINGS\\Desktop$n"
        expect_eq "$(pg_names reg-values "$key")" "DesktopTitle HotKey Pattern TileWallpaper Wallpaper WallpaperStyle" \
            "values of Desktop$n"
        expect_eq "$(pg_value "$key" DesktopTitle)" "$(pg_sz 33 "$word $n")" "Desktop$n title"
        expect_eq "$(pg_value "$key" HotKey)" "type=4 size=4 data=00000000" "Desktop$n HotKey"
        expect_eq "$(pg_value "$key" Wallpaper)" "$(pg_sz 260 "")" "Desktop$n Wallpaper (the prefix's)"
        expect_eq "$(pg_value "$key" Pattern)" "$(pg_sz 260 "")" "Desktop$n Pattern"
        for name in TileWallpaper WallpaperStyle; do
            text=$(pg_value "$key" $name | sed 's/^.* text="//; s/"$//')
            expect_eq "$(pg_value "$key" $name)" "$(pg_sz 2 "$text")" "Desktop$n $name"
        done
    done
}

# ---------------------------------------------------------------------------------------------

# No settings yet: start-up creates them in the user's language; closing saves nothing more
# (a later save would add "TopMost", since the floating window exists by then).
pg_first_run() {
    local word=$1
    shift
    pg_drv reg-values "$PG_SETTINGS"
    expect_eq "$WINE_RC" 1 "no settings key before the first run"
    expect "quillane.exe starts (main window)" pg_start "$@"
    pg_check_first_run_settings "$word"
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
    expect_eq "$(pg_names reg-values "$PG_SETTINGS")" "Desktop RowsFloating Wallpaper" \
        "values of the settings key after closing"
}
pg_scenario_first_run_english() { pg_first_run Desktop LANG=C.UTF-8 LC_ALL=C.UTF-8; }
pg_scenario_first_run_french() { pg_first_run Bureau LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8; }

# A second start hands over: it ends with 1, the first keeps running and shows its About box;
# a third start while that box is open opens no second one.
pg_scenario_second_start() {
    expect "first instance starts" pg_start
    pg_drv count '#32770'
    expect_eq "$(cat "$WINE_OUT")" 0 "no dialog before the second start"
    pg_second_start
    expect "first instance still running" kill -0 "$PG_QUILLANE"
    expect "main window still there" pg_drv wait-window Quillane 1
    expect "About box of the running instance" pg_drv wait-window '#32770' 10
    pg_second_start third
    sleep 0.7
    pg_drv count '#32770'
    expect_eq "$(cat "$WINE_OUT")" 1 "still one About box after the third start"
    pg_drv post '#32770' "$WM_CLOSE" 0 0
    expect "About box closes" pg_drv gone-window '#32770' 10
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
}

# Left clicks on the icons: desktop 2 minimises desktop 1's windows, desktop 1 brings them back
# in their former stacking order (A1 raised over A3 over A2 beforehand, not creation order).
pg_scenario_icon_click() {
    local before0 before1
    expect "windows A1..A3" pg_windows A 3
    pg_click 55 150 # A1's left strip, not covered by A2
    expect_eq "$(pg_state A1 A2 A3 | cut -d' ' -f1,4,5 | tr '\n' ' ')" \
        "A1 foreground=1 z=0 A2 foreground=0 z=2 A3 foreground=0 z=1 " "A1 raised before start"
    expect "quillane.exe starts" pg_start
    pg_shot
    expect_eq "$(pg_icons)" "1 1 0" "two icons in mode 1"
    before0=$(pg_icon_sig 0)
    before1=$(pg_icon_sig 1)
    expect "the two icons show different pictures" test "$before0" != "$before1"

    pg_click 994 758
    expect "icon 2 minimises desktop 1's windows" pg_drv wait-iconic 1 10 A1 A2 A3
    expect_eq "$(pg_state A1 A2 A3 | cut -d' ' -f1-3 | tr '\n' ' ')" \
        "A1 iconic=1 visible=1 A2 iconic=1 visible=1 A3 iconic=1 visible=1 " "desktop 1's windows on desktop 2"
    pg_shot
    expect_eq "$(pg_icon_sig 0)" "$before1" "icon 1 now shows the other-desktop picture"
    expect_eq "$(pg_icon_sig 1)" "$before0" "icon 2 now shows the current-desktop picture"

    pg_click 994 758 # the shown desktop: nothing
    sleep 0.4
    expect_eq "$(pg_state A1 A2 A3 | cut -d' ' -f2 | tr '\n' ' ')" "iconic=1 iconic=1 iconic=1 " \
        "click on the current desktop's icon changes nothing"

    pg_click 1014 758
    expect "icon 1 restores them" pg_drv wait-iconic 0 10 A1 A2 A3
    sleep 0.3
    expect_eq "$(pg_state A1 A2 A3 | tr '\n' ' ')" \
        "A1 iconic=0 visible=1 foreground=1 z=0 A2 iconic=0 visible=1 foreground=0 z=2 A3 iconic=0 visible=1 foreground=0 z=1 " \
        "former stacking order back, top one in the foreground"
    pg_shot
    expect_eq "$(pg_icon_sig 0)" "$before0" "icon 1 back to the current-desktop picture"
    expect_eq "$(pg_icon_sig 1)" "$before1" "icon 2 back to the other-desktop picture"
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
}

# Hot keys stored for both desktops switch back and forth; while the program runs the keys are
# taken, after it ends they are free again.
pg_scenario_hotkey_switch() {
    expect "first run" pg_start
    pg_close
    pg_drv reg-set-dword "$PG_SETTINGS\\Desktop1" HotKey 0x00030070 # Ctrl+Alt+F1
    pg_drv reg-set-dword "$PG_SETTINGS\\Desktop2" HotKey 0x00030071 # Ctrl+Alt+F2
    expect "windows A1, A2" pg_windows A 2
    expect "quillane.exe starts with hot keys" pg_start

    pg_background holder hold-hotkey 3 0x71
    expect "Ctrl+Alt+F2 is taken while quillane runs" pg_wait_output "$PG_BG_OUT" refused
    pg_end_background "$PG_BG_PID"

    xdotool key ctrl+alt+F2
    expect "Ctrl+Alt+F2 minimises desktop 1's windows" pg_drv wait-iconic 1 10 A1 A2
    xdotool key ctrl+alt+F2 # already shown: nothing
    sleep 0.5
    expect "second Ctrl+Alt+F2 leaves them minimised" pg_drv wait-iconic 1 1 A1 A2
    xdotool key ctrl+alt+F1
    expect "Ctrl+Alt+F1 restores them" pg_drv wait-iconic 0 10 A1 A2
    sleep 0.3
    expect_eq "$(pg_state A1 A2 | cut -d' ' -f1,4,5 | tr '\n' ' ')" "A1 foreground=0 z=1 A2 foreground=1 z=0 " \
        "stacking order after the hot key round trip"
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"

    pg_background holder-after hold-hotkey 3 0x71
    expect "Ctrl+Alt+F2 is free after the program ended" pg_wait_output "$PG_BG_OUT" held
    pg_end_background "$PG_BG_PID"
}

# A hot key another program holds at start-up is not registered: no warning, no switch, and
# the program does not take it later when it comes free.
pg_scenario_hotkey_taken() {
    local holder holder_out
    pg_background holder hold-hotkey 3 0x71
    holder=$PG_BG_PID
    holder_out=$PG_BG_OUT
    expect "another program holds Ctrl+Alt+F2" pg_wait_output "$holder_out" held
    # Settings written as a previous run would have: no first run this time.
    pg_drv reg-set-dword "$PG_SETTINGS" Desktop 2
    pg_drv reg-set-sz "$PG_SETTINGS\\Desktop1" DesktopTitle "Desktop 1" 33
    pg_drv reg-set-sz "$PG_SETTINGS\\Desktop2" DesktopTitle "Desktop 2" 33
    pg_drv reg-set-dword "$PG_SETTINGS\\Desktop2" HotKey 0x00030071
    expect "windows A1, A2" pg_windows A 2
    expect "quillane.exe starts anyway" pg_start
    pg_drv wait-window '#32770' 1
    expect_eq "$WINE_RC" 1 "no message box about the taken key"
    pg_shot
    expect_eq "$(pg_icons)" "1 1 0" "two icons from the stored settings"

    xdotool key ctrl+alt+F2
    expect "the holder gets the key" pg_wait_output "$holder_out" "hotkey 1"
    sleep 0.5
    expect_eq "$(pg_state A1 A2 | cut -d' ' -f2,3 | tr '\n' ' ')" "iconic=0 visible=1 iconic=0 visible=1 " \
        "no switch on the held key"

    pg_end_background "$holder"
    xdotool key ctrl+alt+F2
    sleep 1
    expect_eq "$(pg_state A1 A2 | cut -d' ' -f2 | tr '\n' ' ')" "iconic=0 iconic=0 " \
        "the freed key is not taken up later"
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop2" HotKey)" "type=4 size=4 data=71000300" \
        "the stored hot key is kept"
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
}

# Display-mode commands from outside: icons, floating window and "Display" follow; mode 3 is
# taken up again at the next start.
pg_scenario_display_modes() {
    expect "quillane.exe starts" pg_start
    pg_drv visible QuillaneFloating
    expect_eq "$WINE_RC" 1 "floating window hidden in mode 1"
    expect_eq "$(pg_value "$PG_SETTINGS" Display)" missing "no Display before any mode command"

    pg_drv send Quillane "$WM_COMMAND" "$IDM_DISPLAY_FLOATING" 0
    expect "floating window shown by 602" pg_drv visible QuillaneFloating
    expect_eq "$(pg_value "$PG_SETTINGS" Display)" "type=4 size=4 data=03000000" "Display after 602"
    pg_shot
    expect_eq "$(pg_icons)" "1 0 0" "one icon in mode 3"

    pg_drv send Quillane "$WM_COMMAND" "$IDM_DISPLAY_TASKBAR" 0
    pg_drv visible QuillaneFloating
    expect_eq "$WINE_RC" 1 "floating window hidden by 600"
    expect_eq "$(pg_value "$PG_SETTINGS" Display)" "type=4 size=4 data=01000000" "Display after 600"
    pg_shot
    expect_eq "$(pg_icons)" "1 1 0" "two icons in mode 1"

    pg_drv send Quillane "$WM_COMMAND" "$IDM_DISPLAY_MENU" 0
    pg_drv visible QuillaneFloating
    expect_eq "$WINE_RC" 1 "floating window hidden by 601"
    expect_eq "$(pg_value "$PG_SETTINGS" Display)" "type=4 size=4 data=02000000" "Display after 601"
    pg_shot
    expect_eq "$(pg_icons)" "1 0 0" "one icon in mode 2"

    pg_drv reg-set-dword "$PG_SETTINGS" Display 9
    pg_drv send Quillane "$WM_COMMAND" "$IDM_DISPLAY_MENU" 0 # the same mode again: still written
    expect_eq "$(pg_value "$PG_SETTINGS" Display)" "type=4 size=4 data=02000000" "601 again writes Display"
    # The floating window stored where it stands when 602 first showed it (its first WM_MOVE
    # since it exists); the mode commands themselves add nothing but Display.
    expect_eq "$(pg_names reg-values "$PG_SETTINGS")" \
        "Desktop Display FloatingX FloatingY RowsFloating TopMost Wallpaper" \
        "a mode command writes nothing but Display"

    pg_drv send Quillane "$WM_COMMAND" "$IDM_DISPLAY_FLOATING" 0
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE in mode 3"
    expect "quillane.exe starts again in mode 3" pg_start
    expect "floating window shown at start-up" pg_drv visible QuillaneFloating
    pg_shot
    expect_eq "$(pg_icons)" "1 0 0" "one icon at start-up in mode 3"
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
}

# WM_CLOSE from outside while desktop 2 is shown: back to desktop 1, icons removed, exit 0.
pg_scenario_close_from_outside() {
    expect "windows A1, A2" pg_windows A 2
    expect "quillane.exe starts" pg_start
    pg_show 2 # as a click on icon 2
    expect "on desktop 2" pg_drv wait-iconic 1 10 A1 A2
    pg_shot
    expect_eq "$(pg_icons)" "1 1 0" "two icons while running"
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
    expect_eq "$(pg_state A1 A2 | cut -d' ' -f2,3 | tr '\n' ' ')" "iconic=0 visible=1 iconic=0 visible=1 " \
        "desktop 1's windows restored"
    expect "main window gone" pg_drv gone-window Quillane 1
    expect "floating window gone" pg_drv gone-window QuillaneFloating 1
    pg_shot
    expect_eq "$(pg_icons)" "0 0 0" "icons removed"
}

# The whole life in short, for a build that gets no other scenario (the x86_64 one): the first
# run writes the settings, the icons show, a switch minimises and restores a real window, a
# second start hands over and ends with 1, WM_CLOSE ends with 0.
pg_scenario_smoke() {
    expect "window A1" pg_windows A 1
    expect "quillane.exe starts" pg_start LANG=C.UTF-8 LC_ALL=C.UTF-8
    pg_check_first_run_settings Desktop
    pg_shot
    expect_eq "$(pg_icons)" "1 1 0" "two icons"
    pg_show 2
    expect "desktop 2 minimises A1" pg_drv wait-iconic 1 10 A1
    pg_show 1
    expect "desktop 1 restores A1" pg_drv wait-iconic 0 10 A1
    pg_second_start
    expect "About box of the running instance" pg_drv wait-window '#32770' 10
    pg_drv post '#32770' "$WM_CLOSE" 0 0
    pg_drv gone-window '#32770' 10
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
}

add_scenario program-smoke pg_scenario_smoke
add_scenario program-first-run-english pg_scenario_first_run_english
add_scenario program-first-run-french pg_scenario_first_run_french
add_scenario program-second-start pg_scenario_second_start
add_scenario program-icon-click pg_scenario_icon_click
add_scenario program-hotkey-switch pg_scenario_hotkey_switch
add_scenario program-hotkey-taken pg_scenario_hotkey_taken
add_scenario program-display-modes pg_scenario_display_modes
add_scenario program-close pg_scenario_close_from_outside
add_version_runs program-first-run-english program-icon-click
