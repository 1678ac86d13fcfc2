# Installing from the downloadable package and removing in two phases, with the real
# quillane.exe and quillane.inf: the installation file through Wine's setup engine, the
# uninstall mode of the installed program while it runs, then the installation file's
# uninstall section. Sourced by tests/wine/run.sh after program.sh, whose helpers it uses.

IN_RUN='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
IN_REMOVAL='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quillane'
IN_SYSTEM='C:\windows\system32'
IN_EXE="$IN_SYSTEM\\Shellext\\quillane.exe"
IN_SECOND_PHASE="$IN_SYSTEM\\rundll32.exe syssetup.dll,SetupInfObjectInstallAction DefaultUninstall 4 $IN_SYSTEM\\Shellext\\quillane.inf"
IN_ENGLISH='First part of uninstall finished. Please click on the OK button and restart the uninstall procedure.'
IN_FRENCH_START='Premi.re partie de la d.sinstallation termin.e\. Veuillez cliquer'

# The package of the build under test: win32 from the i686 build, win64 from the x86_64 one.
in_package() {
    local zip
    for zip in "$BUILD"/quillane-2.0-win*.zip; do printf '%s\n' "$zip"; done | head -n 1
}

in_unix() { printf '%s/drive_c/%s\n' "$WINEPREFIX" "$(printf '%s' "${1#C:\\}" | tr '\\' /)"; }

# What must be as before once both phases are done: the machine's autostart and removal lists,
# and every file of the prefix's Windows folder.
in_snapshot() {
    local key
    for key in "$IN_RUN" 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'; do
        echo "[$key]"
        pg_drv reg-values "$key" && sort "$WINE_OUT"
        pg_drv reg-keys "$key" && sort "$WINE_OUT"
    done
    (cd "$WINEPREFIX/drive_c/windows" && find . -type f | sort)
}

# in_uninstall NAME PROGRAM ARGUMENT: the uninstall mode on a French system; waits for its
# message box, keeps the box's lines in $IN_BOX, answers OK; its exit code in $WINE_RC.
in_uninstall() {
    local name=$1 pid
    shift
    LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8 wine "$@" </dev/null >"$WS_DIR/out/$WS_PREFIX_NAME.$name.out" 2>&1 &
    pid=$!
    if wine_run 30 "$BUILD/tests/wine/probe.exe" window 'Quillane v2.0' 20 && [[ $WINE_RC == 0 ]]; then
        IN_BOX=$(cat "$WINE_OUT")
        pg_drv post '#32770' 273 1 0 # OK
    else
        IN_BOX=""
    fi
    wine_wait 20 "$pid"
}

in_check_first_phase() {
    local what=$1
    pg_drv reg-values "$PG_SETTINGS"
    expect_eq "$WINE_RC" 1 "$what: settings key gone"
    expect "$what: Software\\Halvern kept" pg_drv reg-keys 'HKCU\Software\Halvern'
    expect_eq "$(pg_value "$IN_RUN" Quillane)" missing "$what: autostart value gone"
    # Written without their zero, which the system counts since a zero follows (as Windows does).
    expect_eq "$(pg_value "$IN_REMOVAL" UninstallString)" \
        "type=1 size=$((${#IN_SECOND_PHASE} + 1)) text=\"$IN_SECOND_PHASE\"" "$what: second-phase command"
    expect_eq "$(pg_value "$IN_REMOVAL" DisplayName)" 'type=1 size=39 text="Quillane v2.0 - uninstall not complete"' \
        "$what: removal entry shown as unfinished"
}

in_scenario_install_remove() {
    local download before after line program arguments
    expect "the package builds" cmake --build "$BUILD" --target package >"$WS_DIR/out/$WS_PREFIX_NAME.package.out"
    download="$WINEPREFIX/drive_c/download"
    expect "the package unpacks" python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
        "$(in_package)" "$download"
    before=$(in_snapshot)
    expect "the snapshot sees the lists and the files" grep -q '^\./system32/rundll32\.exe$' <<<"$before"

    # Install, as "Install" on the file's menu does.
    wine_run 60 rundll32.exe setupapi.dll,InstallHinfSection DefaultInstall 132 'C:\download\quillane.inf'
    expect_eq "$WINE_RC" 0 "install: rundll32 exit code"
    expect "install: quillane.exe in Shellext" cmp "$download/quillane.exe" "$(in_unix "$IN_EXE")"
    expect "install: quillane.inf in Shellext" cmp "$download/quillane.inf" "$(in_unix "$IN_SYSTEM\\Shellext\\quillane.inf")"
    expect_eq "$(pg_value "$IN_RUN" Quillane | cut -d' ' -f1,3-)" "type=1 text=\"$IN_EXE\"" "install: autostart value"
    expect_eq "$(pg_value "$IN_REMOVAL" DisplayName | cut -d' ' -f1,3-)" 'type=1 text="Quillane v2.0"' \
        "install: removal entry's name"
    expect_eq "$(pg_value "$IN_REMOVAL" UninstallString | cut -d' ' -f1,3-)" "type=1 text=\"\"$IN_EXE\" uninstall\"" \
        "install: removal entry's command"

    # The installed program runs, its settings in English on a French system.
    PG_STARTS=$((PG_STARTS + 1))
    LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8 wine "$IN_EXE" </dev/null >"$WS_DIR/out/$WS_PREFIX_NAME.running.out" 2>&1 &
    PG_QUILLANE=$!
    expect "the installed program starts" pg_drv wait-window Quillane 20
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop1" DesktopTitle | cut -d' ' -f3)" 'text="Bureau' "first run in French"
    expect "stored language English" pg_drv reg-set-dword "$PG_SETTINGS" Language 100

    # First phase while it runs, by the installed removal command ("program" uninstall): the
    # running instance is closed and the message is English.
    line=$(pg_value "$IN_REMOVAL" UninstallString | sed 's/^.* text="//; s/"$//')
    program=${line#\"}
    program=${program%%\"*}
    in_uninstall first "$program" "${line##*\" }"
    expect_eq "$WINE_RC" 0 "first phase: exit code"
    wine_wait 20 "$PG_QUILLANE"
    expect_eq "$WINE_RC" 0 "the running instance ends with 0"
    expect "first phase: message in the stored language" grep -qF "text=\"$IN_ENGLISH\"" <<<"$IN_BOX"
    in_check_first_phase "first phase"

    # Again, with no settings left and the entry as installed: the same entries, the message in
    # the locale's language.
    expect "entry named as installed" pg_drv reg-set-sz "$IN_REMOVAL" DisplayName "Quillane v2.0"
    expect "entry's command as installed" pg_drv reg-set-sz "$IN_REMOVAL" UninstallString "$line"
    in_uninstall again "$IN_EXE" uninstall
    expect_eq "$WINE_RC" 0 "second run: exit code"
    expect "second run: message in French" env LC_ALL=C grep -q "text=\"$IN_FRENCH_START" <<<"$IN_BOX"
    in_check_first_phase "second run"

    # Second phase: the stored command, with the setup engine Wine has for the one it lacks.
    line=$(pg_value "$IN_REMOVAL" UninstallString | sed 's/^.* text="//; s/"$//')
    program=${line%% *}
    arguments=${line#* }
    arguments=${arguments/syssetup.dll,SetupInfObjectInstallAction/setupapi.dll,InstallHinfSection}
    # shellcheck disable=SC2086 # the stored command's words
    wine_run 60 "$(in_unix "$program")" $arguments
    expect_eq "$WINE_RC" 0 "second phase: rundll32 exit code"
    expect "second phase: quillane.exe gone" test ! -e "$(in_unix "$IN_EXE")"
    expect "second phase: quillane.inf gone" test ! -e "$(in_unix "$IN_SYSTEM\\Shellext\\quillane.inf")"
    pg_drv reg-values "$IN_REMOVAL"
    expect_eq "$WINE_RC" 1 "second phase: removal entry gone"
    after=$(in_snapshot)
    expect_eq "$(diff <(echo "$before") <(echo "$after") | grep '^[<>]' | tr '\n' ' ')" "" \
        "nothing else changed in the machine's lists or the Windows folder"
}

add_scenario install-remove in_scenario_install_remove
