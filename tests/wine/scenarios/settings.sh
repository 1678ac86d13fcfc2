# The stored settings on the real program: a settings key that cannot be read is left as it
# is, a two-digit wallpaper style follows its desktop, and a value of another type than the
# program writes counts as missing. Sourced by tests/wine/run.sh.

# shellcheck source=tests/wine/scenario_helpers.sh
. "$(dirname "${BASH_SOURCE[0]}")/../scenario_helpers.sh"

ST_LIVE='HKCU\Control Panel\Desktop'

# st_store N: N desktops as an earlier run left them, titled "Title 1".. with Alt+F1.. keys.
st_store() {
    local n
    pg_drv reg-set-dword "$PG_SETTINGS" Desktop "$1"
    for ((n = 1; n <= $1; n++)); do
        pg_drv reg-set-sz "$PG_SETTINGS\\Desktop$n" DesktopTitle "Title $n" 33
        pg_drv reg-set-dword "$PG_SETTINGS\\Desktop$n" HotKey $((0x10000 + 0x6F + n))
        pg_drv reg-set-sz "$PG_SETTINGS\\Desktop$n" WallpaperStyle "$((n % 3))" 2
    done
}

st_dump() {
    pg_drv reg-dump "$PG_SETTINGS" && tr -d '\r' <"$WINE_OUT" | sort
}

# st_switch N: UM_DESKTOP N with WM_LBUTTONDOWN, sent: the switch is over when it returns.
st_switch() { pg_drv send Quillane $((0x400 + $1)) 0 0x201 >/dev/null; }
st_command() { pg_drv send Quillane 273 "$1" 0 >/dev/null; }

# Reading denied by the key's security while writing stays allowed: the run works on two
# default desktops and no save of any kind writes over the four stored ones.
st_scenario_unreadable() {
    local before after
    st_store 4
    pg_drv reg-set-dword "$PG_SETTINGS" Display 1
    before=$(st_dump)
    expect "deny ACE set" pg_drv reg-deny-read "$PG_SETTINGS"
    expect_eq "$(tr -d '\r' <"$WINE_OUT")" "read=5" "a KEY_READ open is denied"
    expect "quillane.exe starts" pg_start
    pg_shot
    expect_eq "$(pg_icons)" "1 1 0" "two default desktops in memory"
    st_command 110 # create: a save of the desktop set
    st_command 601 # display mode: "Display"
    st_command 120 # one background: a save with the start-up background put back
    st_switch 2
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
    expect "read access given back" pg_drv reg-allow-read "$PG_SETTINGS"
    after=$(st_dump)
    expect_eq "$after" "$before" "stored settings untouched"
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop4" DesktopTitle)" "$(pg_sz 33 "Title 4")" \
        "the fourth desktop still stored"

    # Readable again: the next run loads the four desktops.
    expect "quillane.exe starts on the stored settings" pg_start
    pg_shot
    expect_eq "$(pg_icons)" "1 1 1" "icons of the stored desktops"
    pg_close
}

# A "WallpaperStyle" of "10" is taken at start-up, stored, and follows its desktop through
# switches; another desktop's "22" comes back with it.
st_scenario_wallpaper_style() {
    pg_drv reg-set-sz "$ST_LIVE" WallpaperStyle 10
    pg_drv reg-set-sz "$ST_LIVE" TileWallpaper 0
    expect "quillane.exe starts (first run)" pg_start
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop1" WallpaperStyle)" 'type=1 size=3 text="10"' "stored with the first run"
    expect_eq "$(pg_value "$ST_LIVE" WallpaperStyle)" 'type=1 size=3 text="10"' "in force after the start"
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop1" TileWallpaper)" 'type=1 size=2 text="0"' "one digit in 2 bytes"
    st_switch 2
    expect_eq "$(pg_value "$ST_LIVE" WallpaperStyle)" 'type=1 size=3 text="10"' "desktop 2 started with it"
    pg_drv reg-set-sz "$ST_LIVE" WallpaperStyle 22 # the user's choice on desktop 2
    st_switch 1
    expect_eq "$(pg_value "$ST_LIVE" WallpaperStyle)" 'type=1 size=3 text="10"' "desktop 1's style back"
    st_switch 2
    expect_eq "$(pg_value "$ST_LIVE" WallpaperStyle)" 'type=1 size=3 text="22"' "desktop 2's style back"
    st_command 110 # saves, taking desktop 2's style
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop2" WallpaperStyle)" 'type=1 size=3 text="22"' "desktop 2 stored"
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"

    pg_drv reg-set-sz "$ST_LIVE" WallpaperStyle 6
    expect "quillane.exe starts again" pg_start
    expect_eq "$(pg_value "$ST_LIVE" WallpaperStyle)" 'type=1 size=3 text="10"' "desktop 1's style put in force"
    st_switch 3
    expect_eq "$(pg_value "$ST_LIVE" WallpaperStyle)" 'type=1 size=3 text="22"' "desktop 3 took desktop 2's"
    pg_close
}

# "Desktop" stored as the text "5" is no count: two desktops, and the next save writes a number.
st_scenario_wrong_type() {
    st_store 5
    pg_drv reg-set-sz "$PG_SETTINGS" Desktop 5
    expect "quillane.exe starts" pg_start
    pg_shot
    expect_eq "$(pg_icons)" "1 1 0" "two desktops, not eight"
    st_command 110
    expect_eq "$(pg_value "$PG_SETTINGS" Desktop)" "type=4 size=4 data=03000000" "stored as a number by the next save"
    expect_eq "$(pg_value "$PG_SETTINGS\\Desktop2" DesktopTitle)" "$(pg_sz 33 "Title 2")" "desktop 2 kept"
    pg_close
    expect_eq "$WINE_RC" 0 "exit code after WM_CLOSE"
}

add_scenario settings-unreadable st_scenario_unreadable
add_scenario settings-wallpaper-style st_scenario_wallpaper_style
add_scenario settings-wrong-type st_scenario_wrong_type
# The Windows 95 registry has no security: a key cannot be made unreadable there.
add_version_runs settings-unreadable:nt40 settings-wallpaper-style settings-wrong-type
