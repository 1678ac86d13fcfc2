# The floating window of display mode 3 on the real program: its place at first start, its
# buttons, clicks that switch, desktops created and deleted, rows chosen by dragging an edge,
# always on top and the position kept for the next start, and the system menu's mode commands.
# Sourced by tests/wine/run.sh after program.sh, whose pg_ helpers it uses.

# fl_get NAME: one line of the driver's "floating" report, without its name.
fl_get() {
    pg_drv floating >/dev/null
    tr -d '\r' <"$WINE_OUT" | sed -n "s/^$1 *//p"
}

fl_dump() {
    pg_drv floating
    tr -d '\r' <"$WINE_OUT" | sed 's/^/  /'
}

fl_scenario_explore() {
    pg_drv reg-set-dword "$PG_SETTINGS" Display 3
    expect "quillane.exe starts in mode 3" pg_start
    pg_drv wait-window QuillaneFloating 5
    sleep 1
    fl_dump
    pg_value "$PG_SETTINGS" FloatingX
    pg_drv sizing 6 800 0 1024 200
    cat "$WINE_OUT"
    fl_dump
    pg_drv sizing 2 900 0 950 100
    cat "$WINE_OUT"
    fl_dump
    wine_screenshot /tmp/fl_explore.png
    pg_close
}

add_scenario floating-explore fl_scenario_explore

fl_scenario_explore2() {
    pg_drv reg-set-dword "$PG_SETTINGS" Display 3
    pg_drv reg-set-dword "$PG_SETTINGS" Desktop 4
    expect "quillane.exe starts in mode 3" pg_start
    pg_drv wait-window QuillaneFloating 5
    sleep 1
    fl_dump
    read -r l t r b <<<"$(fl_get rect)"
    x=$(( (l + r) / 2 )); y=$((b - 2))
    xdotool mousemove $x $y mousedown 1 mousemove $x $((y + 20)) sleep 0.2 mousemove $x $((y + 60)) sleep 0.2 mouseup 1
    sleep 0.5
    fl_dump
    pg_value "$PG_SETTINGS" RowsFloating
    wine_screenshot /tmp/fl_explore2.png
    read -r l t r b <<<"$(fl_get rect)"
    x=$((r - 2)); y=$(( (t + b) / 2 ))
    xdotool mousemove $x $y mousedown 1 mousemove $((x + 20)) $y sleep 0.2 mousemove $((x + 100)) $y sleep 0.2 mouseup 1
    sleep 0.5
    fl_dump
    pg_value "$PG_SETTINGS" RowsFloating
    wine_screenshot /tmp/fl_explore3.png
    pg_close
}
add_scenario floating-explore2 fl_scenario_explore2
