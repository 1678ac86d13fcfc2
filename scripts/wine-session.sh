# Wine test sessions: one Xvfb screen, one booted prefix template per run, and a fresh copy of
# the template per scenario. By default (WS_ARCH=win32) a 32-bit prefix; with WS_ARCH=win64
# set before the start a 64-bit one (for the x86_64 build). Where the kernel runs no 32-bit
# programs, both are a 64-bit prefix whose 32-bit side runs under qemu-i386 with the loader of
# scripts/wine32-qemu/. ws_mode tells which (win32, win64, wow64); every Wine command goes to
# the session's own loader. Source it from bash:
#
#   . scripts/wine-session.sh
#   wine_session_start              # Xvfb + template; installs the cleanup trap
#   new_prefix engine               # copy of the template, its own persistent wineserver
#   wine_run 60 build/i686/tests/wine/engine_test.exe
#   echo "rc=$WINE_RC"; cat "$WINE_OUT"
#   wine_start build/i686/app/quillane.exe; ...; wine_wait 10
#   wine_screenshot engine.png
#   end_prefix                      # optional: wineserver of this prefix down now
#
# Everything lives in a temporary directory, or in QUILLANE_WINE_DIR when given (kept then,
# and a template booted there earlier by the same Wine is reused). Works as root, with no
# standard input and under set -euo pipefail.

# Every process of the prefix runs on the virtual desktop "shell" with its taskbar: windows of
# all processes see each other, hot keys clash, notification icons show. A crash prints its
# backtrace instead of opening a dialog that would wait for a click forever.
ws_session_reg() {
    cat <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="shell"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"shell"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
}

WS_DIR=${WS_DIR:-}
WS_ARCH=${WS_ARCH:-win32}
WS_MODE=${WS_MODE:-}
WS_XVFB_PID=${WS_XVFB_PID:-}
WS_PREFIXES=()
WS_KEEP_DIR=0
WINE_OUT=${WINE_OUT:-}
WINE_ERR=${WINE_ERR:-}
WINE_RC=${WINE_RC:-}
WINE_PID=${WINE_PID:-}

# Wine's 32-bit loader is a 32-bit Linux program, and some kernels (IA-32 emulation switched
# off) refuse to run any: there only 64-bit Wine runs natively.
ws_runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# How the session runs Windows programs: win32 (32-bit prefix), win64 (64-bit prefix, its
# 32-bit side native too) or, where the kernel runs no 32-bit programs, wow64 (64-bit prefix
# whose 32-bit side runs under qemu-i386) for either WS_ARCH.
ws_mode() {
    if [[ -z $WS_MODE ]]; then
        if ! ws_runs_32bit; then WS_MODE=wow64
        elif [[ $WS_ARCH == win64 ]]; then WS_MODE=win64
        else WS_MODE=win32
        fi
    fi
    echo "$WS_MODE"
}

# One line for the user: which way the session runs programs.
ws_describe_mode() {
    case $(ws_mode) in
        win32) echo "a 32-bit prefix; 32-bit programs run natively" ;;
        win64) echo "a 64-bit prefix; 64-bit and 32-bit programs run natively" ;;
        wow64) echo "a 64-bit prefix; this kernel runs no 32-bit programs, so 32-bit ones run under qemu-i386" ;;
    esac
}

# The tree of Wine's 32-bit half under qemu (T = $WS_DIR/wine32-qemu), as the system's Wine
# finds its parts relative to its loaders:
#   T/lib/wine/wine      runs the loader under qemu-i386; -0 passes this path as argv[0], so
#                        Wine starts its 32-bit children through it too; WINELOADERNOEXEC
#                        stops ntdll re-executing a loader that the kernel would refuse
#   T/lib/wine/wine64    a copy of the system's (no link: Wine takes the directory of the
#                        running file), so that 64-bit processes take T/lib/wine/wine beside
#                        it as their 32-bit loader
#   T/lib/wine/wine32-qemu-loader   scripts/wine32-qemu/loader.c, built here
#   symlinks to the system's wineserver, shared data and both architectures' libraries
ws_qemu_tree() { echo "$WS_DIR/wine32-qemu"; }

ws_build_qemu_tree() {
    local tree source tool
    tree=$(ws_qemu_tree)
    source=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine32-qemu/loader.c
    for tool in qemu-i386 gcc; do
        command -v "$tool" >/dev/null || { ws_log "missing tool: $tool"; return 1; }
    done
    mkdir -p "$tree/lib/wine" "$tree/lib/x86_64-linux-gnu" "$tree/lib/i386-linux-gnu" "$tree/share"
    if [[ ! -x $tree/lib/wine/wine32-qemu-loader || $source -nt $tree/lib/wine/wine32-qemu-loader ]]; then
        gcc -m32 -O2 -Wall -Wextra -Werror -no-pie -Wl,-Ttext-segment=0x7d000000 -Wl,--export-dynamic \
            -o "$tree/lib/wine/wine32-qemu-loader" "$source" -ldl ||
            { ws_log "the loader does not build (gcc-multilib missing?)"; return 1; }
    fi
    cmp -s /usr/lib/wine/wine64 "$tree/lib/wine/wine64" || cp /usr/lib/wine/wine64 "$tree/lib/wine/wine64"
    printf '#!/bin/sh\nexport WINELOADERNOEXEC=1\nexec qemu-i386 -0 "%s" "%s" "$@"\n' \
        "$tree/lib/wine/wine" "$tree/lib/wine/wine32-qemu-loader" >"$tree/lib/wine/wine"
    chmod +x "$tree/lib/wine/wine"
    ln -sfn /usr/lib/wine/wineserver "$tree/lib/wine/wineserver"
    ln -sfn /usr/share/wine "$tree/share/wine"
    ln -sfn /usr/lib/x86_64-linux-gnu/wine "$tree/lib/x86_64-linux-gnu/wine"
    ln -sfn /usr/lib/i386-linux-gnu/wine "$tree/lib/i386-linux-gnu/wine"
}

ws_log() { printf 'wine-session: %s\n' "$*" >&2; }

ws_now() { date +%s.%N; }
ws_elapsed() { awk -v a="$1" -v b="$(ws_now)" 'BEGIN { printf "%.1f", b - a }'; }

# The environment every Wine command of the session runs with.
ws_export_wine_env() {
    local mode loader=""
    ws_mode >/dev/null
    mode=$WS_MODE
    if [[ $mode == win32 ]]; then export WINEARCH=win32; else export WINEARCH=win64; fi
    # `wine` (and `wineboot` through `wine-stable`) would start the 32-bit loader first, which
    # cannot run at all where the system runs no 32-bit programs; under qemu every 64-bit
    # process must also know the tree's loaders (booting the template through them is what
    # fills syswow64).
    if [[ $mode == win64 ]]; then loader=/usr/lib/wine/wine64; fi
    if [[ $mode == wow64 ]]; then
        ws_build_qemu_tree || return 1
        loader=$(ws_qemu_tree)/lib/wine/wine64
    fi
    if [[ -n $loader ]]; then
        local name
        mkdir -p "$WS_DIR/bin"
        for name in wine wine-stable wine64; do
            # Under qemu every 32-bit process starts in about 3 s instead of 0.1 s. The test
            # tools that only drive and read windows and the registry (driver.exe, probe.exe)
            # then run from WS_TOOLS64, a 64-bit build of them, natively: the same calls
            # reach the same windows and, HKLM\Software aside (redirected for 32-bit
            # programs), the same registry. Everything else runs as given.
            cat >"$WS_DIR/bin/$name" <<EOF
#!/bin/sh
export WINELOADER="$loader"
if [ -n "\${WS_TOOLS64:-}" ]; then
    case "\${1:-}" in
        */tests/wine/driver.exe|*/tests/wine/probe.exe)
            tool="\$WS_TOOLS64/\${1##*/}"; shift; set -- "\$tool" "\$@" ;;
    esac
fi
exec "$loader" "\$@"
EOF
            chmod +x "$WS_DIR/bin/$name"
        done
        case ":$PATH:" in *":$WS_DIR/bin:"*) ;; *) export PATH="$WS_DIR/bin:$PATH" ;; esac
    fi
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

ws_start_xvfb() {
    local fdfile="$WS_DIR/xvfb.display" i display=""
    : >"$fdfile"
    # -displayfd lets the server pick a free display itself: no race with other sessions.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
        3>"$fdfile" </dev/null >"$WS_DIR/xvfb.log" 2>&1 &
    WS_XVFB_PID=$!
    for ((i = 0; i < 200; i++)); do
        display=$(tr -dc '0-9' <"$fdfile")
        [[ -n $display ]] && break
        kill -0 "$WS_XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    if [[ -z $display ]]; then
        ws_log "Xvfb did not start:"; cat "$WS_DIR/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$display"
    for ((i = 0; i < 200; i++)); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.05
    done
    if ! xdpyinfo >/dev/null 2>&1; then
        ws_log "Xvfb on $DISPLAY does not answer"
        return 1
    fi
    # Without this XKB keeps Ctrl+Alt+Fn for console switching and no F-key hot key reaches Wine.
    setxkbmap -option srvrkeys:none
}

ws_template_stamp() {
    { wine --version 2>/dev/null; ws_mode; ws_session_reg; } | md5sum | cut -d' ' -f1
}

ws_template_dir() {
    case $(ws_mode) in
        win64) echo "$WS_DIR/template64" ;;
        wow64) echo "$WS_DIR/template-wow64" ;;
        *) echo "$WS_DIR/template" ;;
    esac
}

ws_boot_template() {
    local template stamp started
    template=$(ws_template_dir)
    stamp=$(ws_template_stamp)
    if [[ -f $template/.quillane-template && $(cat "$template/.quillane-template") == "$stamp" ]]; then
        ws_log "reusing prefix template $template"
        return 0
    fi
    rm -rf "$template"
    started=$(ws_now)
    (
        export WINEPREFIX="$template"
        wineboot -u </dev/null >"$WS_DIR/wineboot.log" 2>&1
        ws_session_reg >"$template/drive_c/quillane-session.reg"
        wine regedit /S 'C:\quillane-session.reg' </dev/null >>"$WS_DIR/wineboot.log" 2>&1
        rm -f "$template/drive_c/quillane-session.reg"
        # The registry reaches the files on disk only when the server ends.
        wineserver -w
    ) || { ws_log "prefix boot failed:"; cat "$WS_DIR/wineboot.log" >&2; return 1; }
    if ! grep -q '"Desktop"="shell"' "$template/user.reg"; then
        ws_log "the virtual desktop setting did not reach $template/user.reg"
        return 1
    fi
    echo "$stamp" >"$template/.quillane-template"
    ws_log "prefix template booted in $(ws_elapsed "$started") s"
}

# wine_session_start: Xvfb on a free display, the prefix template, the cleanup trap.
wine_session_start() {
    local tool
    for tool in Xvfb xdpyinfo setxkbmap wine wineboot wineserver import; do
        command -v "$tool" >/dev/null || { ws_log "missing tool: $tool"; return 1; }
    done
    if [[ -n ${QUILLANE_WINE_DIR:-} ]]; then
        mkdir -p "$QUILLANE_WINE_DIR"
        WS_DIR=$(cd "$QUILLANE_WINE_DIR" && pwd)
        WS_KEEP_DIR=1
    else
        WS_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quillane-wine.XXXXXX")
        WS_KEEP_DIR=0
    fi
    mkdir -p "$WS_DIR/prefixes" "$WS_DIR/out"
    trap wine_session_stop EXIT
    trap 'wine_session_stop; trap - INT; kill -INT $$' INT
    trap 'wine_session_stop; trap - TERM; kill -TERM $$' TERM
    ws_export_wine_env || return 1
    ws_log "$(ws_describe_mode)"
    ws_start_xvfb || return 1
    ws_boot_template || return 1
}

# new_prefix NAME: a copy of the template for one scenario, made the current WINEPREFIX, with
# a persistent wineserver so that program starts stay warm and the desktop stays up between them.
new_prefix() {
    local name=${1:?new_prefix NAME}
    local prefix="$WS_DIR/prefixes/$name"
    if [[ -e $prefix ]]; then
        WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
        rm -rf "$prefix"
    fi
    cp -a "$(ws_template_dir)" "$prefix"
    export WINEPREFIX="$prefix"
    WS_PREFIX_NAME=$name
    WS_PREFIXES+=("$prefix")
    wineserver -p </dev/null >/dev/null 2>&1
}

# end_prefix: ends every process of the current prefix and waits for its server to go.
end_prefix() {
    [[ -n ${WINEPREFIX:-} && -d $WINEPREFIX ]] || return 0
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
}

# wine_run SECONDS PROGRAM [ARGS...]: runs a Windows program in the current prefix, stdout to
# $WINE_OUT and stderr to $WINE_ERR (carriage returns removed), exit code in $WINE_RC (124
# when it ran out of time). Returns 0 so that set -e callers can inspect the result.
wine_run() {
    local seconds=${1:?wine_run SECONDS PROGRAM [ARGS...]}
    shift
    local program=${1:?wine_run SECONDS PROGRAM [ARGS...]}
    shift
    local base="$WS_DIR/out/${WS_PREFIX_NAME:-run}.$(basename "$program" .exe)"
    WINE_OUT="$base.out"
    WINE_ERR="$base.err"
    WINE_RC=0
    timeout --kill-after=5 "$seconds" wine "$program" "$@" \
        </dev/null >"$WINE_OUT.raw" 2>"$WINE_ERR.raw" || WINE_RC=$?
    tr -d '\r' <"$WINE_OUT.raw" >"$WINE_OUT"
    tr -d '\r' <"$WINE_ERR.raw" >"$WINE_ERR"
    rm -f "$WINE_OUT.raw" "$WINE_ERR.raw"
    return 0
}

# wine_start PROGRAM [ARGS...]: starts a Windows program in the background (a program that
# runs until told to stop); its process id in $WINE_PID, its output in $WINE_OUT / $WINE_ERR.
wine_start() {
    local program=${1:?wine_start PROGRAM [ARGS...]}
    shift
    local base="$WS_DIR/out/${WS_PREFIX_NAME:-run}.$(basename "$program" .exe)"
    WINE_OUT="$base.out"
    WINE_ERR="$base.err"
    wine "$program" "$@" </dev/null >"$WINE_OUT" 2>"$WINE_ERR" &
    WINE_PID=$!
}

# wine_wait SECONDS [PID]: waits for a program of wine_start to end, polling; $WINE_RC is its
# exit code, or 124 when it was still running (it is killed then). Carriage returns are
# removed from its output.
wine_wait() {
    local seconds=${1:?wine_wait SECONDS [PID]} pid=${2:-$WINE_PID} deadline
    deadline=$(awk -v now="$(ws_now)" -v s="$seconds" 'BEGIN { printf "%.2f", now + s }')
    while kill -0 "$pid" 2>/dev/null; do
        if awk -v now="$(ws_now)" -v d="$deadline" 'BEGIN { exit !(now >= d) }'; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
            WINE_RC=124
            return 0
        fi
        sleep 0.05
    done
    WINE_RC=0
    wait "$pid" 2>/dev/null || WINE_RC=$?
    [[ -f $WINE_OUT ]] && sed -i 's/\r$//' "$WINE_OUT"
    [[ -f $WINE_ERR ]] && sed -i 's/\r$//' "$WINE_ERR"
    return 0
}

# wine_screenshot FILE: the whole Xvfb screen, the Wine virtual desktop included.
wine_screenshot() {
    import -display "$DISPLAY" -window root "${1:?wine_screenshot FILE}"
}

# wine_session_stop: every prefix's server down, then Xvfb; safe to call twice.
wine_session_stop() {
    local prefix
    for prefix in "${WS_PREFIXES[@]}"; do
        [[ -d $prefix ]] || continue
        WINEPREFIX="$prefix" wineserver -k </dev/null >/dev/null 2>&1 || true
    done
    for prefix in "${WS_PREFIXES[@]}"; do
        [[ -d $prefix ]] || continue
        WINEPREFIX="$prefix" timeout 20 wineserver -w </dev/null >/dev/null 2>&1 || true
    done
    WS_PREFIXES=()
    # Interrupted while the template was booting.
    local template
    template=$(ws_template_dir)
    if [[ -n $WS_DIR && -d $template && ! -f $template/.quillane-template ]]; then
        WINEPREFIX="$template" wineserver -k </dev/null >/dev/null 2>&1 || true
    fi
    if [[ -n $WS_XVFB_PID ]]; then
        kill "$WS_XVFB_PID" 2>/dev/null || true
        wait "$WS_XVFB_PID" 2>/dev/null || true
        WS_XVFB_PID=""
    fi
    if [[ $WS_KEEP_DIR == 0 && -n $WS_DIR && -d $WS_DIR ]]; then
        rm -rf "$WS_DIR"
        WS_DIR=""
    fi
    trap - EXIT INT TERM
}
