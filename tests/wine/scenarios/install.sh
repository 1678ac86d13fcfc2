# Installing from the downloadable package and removing in two phases, with the real
# quillane.exe and quillane.inf: the installation file through Wine's setup engine, the
# uninstall mode of the installed program while it runs, then the installation file's
# uninstall section. Sourced by tests/wine/run.sh.
#
# install-remove: the package of the build under test, by the prefix's own setup engine (for
# the i686 build in a 64-bit prefix, its files and values where a 32-bit program sees them).
# install-64bit-windows-*, in the x86_64 session: each package by the 64-bit engine, as a
# right click on Install runs it on 64-bit Windows, each phase from what the previous one
# left, and then nothing of ours in either registry view or system folder.

# shellcheck source=tests/wine/scenario_helpers.sh
. "$(dirname "${BASH_SOURCE[0]}")/../scenario_helpers.sh"

IN_ENGLISH='First part of uninstall finished. Please click on the OK button and restart the uninstall procedure.'
IN_FRENCH_START='Premi.re partie de la d.sinstallation termin.e\. Veuillez cliquer'
IN_WINDOWS_KEY='Microsoft\Windows\CurrentVersion'

# in_places SYSTEM SOFTWARE: the installed program's system folder, and HKLM\SOFTWARE of its
# registry view as the test tools reach it.
in_places() {
    IN_SYSTEM=$1
    IN_RUN="$2\\$IN_WINDOWS_KEY\\Run"
    IN_REMOVAL="$2\\$IN_WINDOWS_KEY\\Uninstall\\Quillane"
    IN_EXE="$IN_SYSTEM\\Shellext\\quillane.exe"
    IN_SECOND_PHASE="$IN_SYSTEM\\rundll32.exe syssetup.dll,SetupInfObjectInstallAction DefaultUninstall 4 $IN_SYSTEM\\Shellext\\quillane.inf"
    # The Windows 95 family's setup engine, run from the Windows folder.
    if windows_95_family; then
        IN_SECOND_PHASE="C:\\windows\\rundll.exe setupx.dll,InstallHinfSection DefaultUninstall 4 $IN_SYSTEM\\Shellext\\quillane.inf"
    fi
}

in_unix() { printf '%s/drive_c/%s\n' "$WINEPREFIX" "$(printf '%s' "${1#C:\\}" | tr '\\' /)"; }

# in_text KEY NAME: a string value's text.
in_text() { pg_value "$1" "$2" | sed 's/^.* text="//; s/"$//'; }

# What must be as before once both phases are done: the machine's autostart and removal lists
# (of both registry views in a 64-bit prefix), and every file of the prefix's Windows folder.
in_snapshot() {
    local software key views=('HKLM\SOFTWARE')
    [[ $(ws_mode) == win32 ]] || views+=('HKLM\SOFTWARE\Wow6432Node')
    for software in "${views[@]}"; do
        for key in "$software\\$IN_WINDOWS_KEY\\Run" "$software\\$IN_WINDOWS_KEY\\Uninstall"; do
            echo "[$key]"
            pg_drv reg-values "$key" && sort "$WINE_OUT"
            pg_drv reg-keys "$key" && sort "$WINE_OUT"
        done
    done
    (cd "$WINEPREFIX/drive_c/windows" && find . -type f | sort)
}

# in_unpack BUILD: builds that build's package and unpacks it into C:\download ($IN_DOWNLOAD).
in_unpack() {
    local zip
    expect "the package builds" cmake --build "$1" --target package >"$WS_DIR/out/$WS_PREFIX_NAME.package.out"
    zip=$(printf '%s\n' "$1"/quillane-2.0-win*.zip | head -n 1)
    IN_DOWNLOAD="$WINEPREFIX/drive_c/download"
    expect "the package unpacks" python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
        "$zip" "$IN_DOWNLOAD"
}

# in_install RUNDLL32: "Install" on the file's menu, by that setup engine; then both files and
# both entries where $IN_SYSTEM and $IN_RUN say.
in_install() {
    wine_run 60 "$1" setupapi.dll,InstallHinfSection DefaultInstall 132 'C:\download\quillane.inf'
    expect_eq "$WINE_RC" 0 "install: rundll32 exit code"
    expect "install: quillane.exe in Shellext" cmp "$IN_DOWNLOAD/quillane.exe" "$(in_unix "$IN_EXE")"
    expect "install: quillane.inf in Shellext" cmp "$IN_DOWNLOAD/quillane.inf" "$(in_unix "$IN_SYSTEM\\Shellext\\quillane.inf")"
    expect_eq "$(pg_value "$IN_RUN" Quillane | cut -d' ' -f1,3-)" "type=1 text=\"$IN_EXE\"" "install: autostart value"
    expect_eq "$(pg_value "$IN_REMOVAL" DisplayName | cut -d' ' -f1,3-)" 'type=1 text="Quillane v2.0"' \
        "install: removal entry's name"
    expect_eq "$(pg_value "$IN_REMOVAL" UninstallString | cut -d' ' -f1,3-)" "type=1 text=\"\"$IN_EXE\" uninstall\"" \
        "install: removal entry's command"
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

# in_first_phase NAME: the stored removal command ("program" uninstall), as Add/Remove
# Programs runs it.
in_first_phase() {
    local line program
    line=$(in_text "$IN_REMOVAL" UninstallString)
    program=${line#\"}
    program=${program%%\"*}
    in_uninstall "$1" "$program" "${line##*\" }"
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

# in_second_phase BEFORE: the stored command, with the setup engine Wine has for the one it
# lacks; then nothing of ours anywhere, and the lists and files as in the snapshot BEFORE.
in_second_phase() {
    local before=$1 line program arguments after
    line=$(in_text "$IN_REMOVAL" UninstallString)
    program=${line%% *}
    arguments=${line#* }
    arguments=${arguments/syssetup.dll,SetupInfObjectInstallAction/setupapi.dll,InstallHinfSection}
    # Nor has it Windows 95's 16-bit engine: the same section through rundll32 and setupapi.
    if [[ $program == *'\rundll.exe' ]]; then
        program="$IN_SYSTEM\\rundll32.exe"
        arguments=${arguments/setupx.dll,/setupapi.dll,}
    fi
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

in_scenario_install_remove() {
    local before software='HKLM\SOFTWARE'
    in_places 'C:\windows\system32' 'HKLM\SOFTWARE'
    # The i686 build in a 64-bit prefix: its files and values where a 32-bit program sees them.
    if [[ ${WS_ARCH:-win32} != win64 && $(ws_mode) != win32 ]]; then
        [[ -n ${WS_TOOLS64:-} ]] && software='HKLM\SOFTWARE\Wow6432Node'
        in_places 'C:\windows\syswow64' "$software"
    fi
    in_unpack "$BUILD"
    before=$(in_snapshot)
    expect "the snapshot sees the lists and the files" grep -q '^\./system32/rundll32\.exe$' <<<"$before"
    in_install rundll32.exe

    # The installed program runs, its settings in English on a French system.
    PG_STARTS=$((PG_STARTS + 1))
    LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8 wine "$IN_EXE" </dev/null >"$WS_DIR/out/$WS_PREFIX_NAME.running.out" 2>&1 &
    PG_QUILLANE=$!
    expect "the installed program starts" pg_drv wait-window Quillane 20
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop1" DesktopTitle | cut -d' ' -f3)" 'text="Bureau' "first run in French"
    expect "stored language English" pg_drv reg-set-dword "$PG_SETTINGS" Language 100

    # First phase while it runs: the running instance is closed and the message is English.
    local line
    line=$(in_text "$IN_REMOVAL" UninstallString)
    in_first_phase first
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

    in_second_phase "$before"
}

# in_scenario_64bit_windows i686|x86_64: that build's package on 64-bit Windows. Its files and
# values must be in the system folder and registry view of the program's own width, where its
# first phase looks and from where its second phase runs; nothing may stay in the other ones.
in_scenario_64bit_windows() {
    local build=$ROOT/build/$1 before other other_run autostart
    if [[ ! -f $build/CMakeCache.txt ]]; then
        fail "no build in $build (cmake --preset mingw-$1 && cmake --build build/$1)"
        return 0
    fi
    if [[ $1 == i686 ]]; then
        in_places 'C:\windows\syswow64' 'HKLM\SOFTWARE\Wow6432Node'
        other='C:\windows\system32'
        other_run="HKLM\\SOFTWARE\\$IN_WINDOWS_KEY\\Run"
    else
        in_places 'C:\windows\system32' 'HKLM\SOFTWARE'
        other='C:\windows\syswow64'
        other_run="HKLM\\SOFTWARE\\Wow6432Node\\$IN_WINDOWS_KEY\\Run"
    fi
    in_unpack "$build"
    before=$(in_snapshot)
    expect_eq "$(grep -c '^\./\(system32\|syswow64\)/rundll32\.exe$' <<<"$before")" 2 "the snapshot sees both system folders"
    in_install rundll32.exe
    expect "install: nothing in the other system folder" test ! -e "$(in_unix "$other\\Shellext")"
    expect_eq "$(pg_value "$other_run" Quillane)" missing "install: no autostart value in the other view"

    # Started by its autostart value, as at logon.
    autostart=$(in_text "$IN_RUN" Quillane)
    wine "$autostart" </dev/null >"$WS_DIR/out/$WS_PREFIX_NAME.running.out" 2>&1 &
    PG_QUILLANE=$!
    expect "the program starts from its autostart value" pg_drv wait-window Quillane 20

    in_first_phase first
    expect_eq "$WINE_RC" 0 "first phase: exit code"
    expect "first phase: its message" env LC_ALL=C grep -q "text=\"$IN_FRENCH_START" <<<"$IN_BOX"
    wine_wait 20 "$PG_QUILLANE"
    expect_eq "$WINE_RC" 0 "the running instance ends with 0"
    in_check_first_phase "first phase"

    in_second_phase "$before"
}

add_scenario install-remove in_scenario_install_remove
add_version_runs install-remove
if [[ ${WS_ARCH:-win32} == win64 ]]; then
    add_scenario install-64bit-windows-win32 in_scenario_64bit_windows i686
    add_scenario install-64bit-windows-win64 in_scenario_64bit_windows x86_64
fi
