#!/usr/bin/env bash
# Runs the Wine scenarios: every *_test.exe of the build, each in a fresh copy of the prefix
# template, then the scenarios listed below. Prints every program's output and ends with
# "N passed, N failed"; exits non-zero on any failure.
#
#   tests/wine/run.sh [BUILD_DIR] [NAME...]
#
# BUILD_DIR defaults to build/i686; NAMEs keep only the scenarios whose name contains one of
# them. QUILLANE_WINE_DIR keeps the session directory (and reuses its booted template);
# QUILLANE_WINE_TIMEOUT bounds each test program (seconds, default 120).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$ROOT/build/i686
if [[ $# -gt 0 && -d $1 ]]; then
    BUILD=$(cd "$1" && pwd)
    shift
fi
FILTERS=("$@")
# The x86_64 build runs in a 64-bit prefix.
if grep -q 'x86_64-w64-mingw32' "$BUILD/CMakeCache.txt" 2>/dev/null; then
    WS_ARCH=win64
fi
PROGRAM_TIMEOUT=${QUILLANE_WINE_TIMEOUT:-120}

# shellcheck source=scripts/wine-session.sh
. "$ROOT/scripts/wine-session.sh"
# With the i686 build under qemu, the test tools (not the program, nor the test programs built
# on its code) come from the x86_64 build when it is there: see ws_export_wine_env.
if [[ ${WS_ARCH:-win32} != win64 && $(ws_mode) == wow64 ]]; then
    TOOLS64=${QUILLANE_WINE_TOOLS64:-$ROOT/build/x86_64/tests/wine}
    if [[ -f $TOOLS64/driver.exe && -f $TOOLS64/probe.exe ]]; then
        export WS_TOOLS64=$TOOLS64
    else
        echo "no 64-bit test tools in $TOOLS64: the 32-bit ones run under qemu, much slower" >&2
        echo "  (cmake --preset mingw-x86_64 && cmake --build build/x86_64)" >&2
    fi
fi

# ---------------------------------------------------------------------------------------------
# Counting

TOTAL_PASSED=0
TOTAL_FAILED=0
SCENARIO_PASSED=0
SCENARIO_FAILED=0

pass() { SCENARIO_PASSED=$((SCENARIO_PASSED + 1)); }
fail() {
    SCENARIO_FAILED=$((SCENARIO_FAILED + 1))
    printf '  FAIL %s\n' "$*"
}
# expect DESCRIPTION COMMAND...: passes when the command succeeds.
expect() {
    local description=$1
    shift
    if "$@"; then pass; else fail "$description"; fi
}
# expect_eq ACTUAL EXPECTED DESCRIPTION
expect_eq() {
    if [[ $1 == "$2" ]]; then pass; else fail "$3: got '$1', expected '$2'"; fi
}

# run_test_program EXE [SECONDS]: runs a test program built on tests/wine/harness.h in the
# current prefix, shows its output and adds the counts of its closing line.
run_test_program() {
    local exe=$1 seconds=${2:-$PROGRAM_TIMEOUT} last passed failed
    wine_run "$seconds" "$exe"
    cat "$WINE_OUT"
    if [[ -s $WINE_ERR ]]; then
        echo "  --- stderr ---"
        sed 's/^/  /' "$WINE_ERR"
    fi
    last=$(tail -n 1 "$WINE_OUT")
    if [[ $last =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
        passed=${BASH_REMATCH[1]}
        failed=${BASH_REMATCH[2]}
        SCENARIO_PASSED=$((SCENARIO_PASSED + passed))
        SCENARIO_FAILED=$((SCENARIO_FAILED + failed))
        if [[ $WINE_RC != 0 && $failed == 0 ]]; then fail "$(basename "$exe") exited with $WINE_RC"; fi
    elif [[ $WINE_RC == 124 || $WINE_RC == 137 ]]; then
        fail "$(basename "$exe") did not finish within $seconds s"
    else
        fail "$(basename "$exe") ended without its closing line (exit code $WINE_RC)"
    fi
}

# ---------------------------------------------------------------------------------------------
# Scenarios: each runs in its own prefix. add_scenario NAME FUNCTION [ARGUMENT]; the function
# reports through pass/fail/expect/expect_eq or run_test_program.

SCENARIO_NAMES=()
SCENARIO_FUNCTIONS=()
SCENARIO_ARGUMENTS=()
SCENARIO_VERSIONS=()

add_scenario() {
    SCENARIO_NAMES+=("$1")
    SCENARIO_FUNCTIONS+=("$2")
    SCENARIO_ARGUMENTS+=("${3:-}")
    SCENARIO_VERSIONS+=("${4:-}")
}

# The systems the program is shipped for, besides Wine's default one: a prefix told to be one
# of them (HKCU\Software\Wine, "Version") reports it to every program, and keeps some of its
# ways (the Windows 95 registry's strings, for one).
WINDOWS_VERSIONS=(win95 nt40)
# The Windows a scenario runs under: "" for Wine's default, or one of WINDOWS_VERSIONS.
WINDOWS_VERSION=""

# add_version_runs NAME[:VERSION]...: the scenarios whose outcome depends on the system run
# again under each of WINDOWS_VERSIONS (or only VERSION), as NAME-win95 and NAME-nt40.
add_version_runs() {
    local name i version versions
    for name in "$@"; do
        versions=("${WINDOWS_VERSIONS[@]}")
        if [[ $name == *:* ]]; then
            versions=("${name#*:}")
            name=${name%%:*}
        fi
        for i in "${!SCENARIO_NAMES[@]}"; do
            [[ ${SCENARIO_NAMES[$i]} == "$name" && -z ${SCENARIO_VERSIONS[$i]} ]] || continue
            for version in "${versions[@]}"; do
                add_scenario "$name-$version" "${SCENARIO_FUNCTIONS[$i]}" "${SCENARIO_ARGUMENTS[$i]}" "$version"
            done
        done
    done
}

# windows_95_family: the current scenario runs under Windows 95 (its family's rules apply).
windows_95_family() { [[ $WINDOWS_VERSION == win95 ]]; }

shopt -s nullglob
PROGRAMS=("$BUILD"/tests/wine/*_test.exe)
shopt -u nullglob
if [[ ${#PROGRAMS[@]} == 0 ]]; then
    echo "no test programs in $BUILD/tests/wine: build them first" >&2
    echo "  (cmake --preset mingw-i686 && cmake --build build/i686)" >&2
    exit 2
fi
for exe in "${PROGRAMS[@]}"; do
    add_scenario "$(basename "$exe" .exe)" run_test_program "$exe"
done

# Scenarios that drive quillane.exe itself live in tests/wine/scenarios/*.sh: each file
# defines its scenario functions and registers them with add_scenario.
for file in "$ROOT"/tests/wine/scenarios/*.sh; do
    # shellcheck source=/dev/null
    . "$file"
done

# ---------------------------------------------------------------------------------------------

selected() {
    local name=$1 filter
    [[ ${#FILTERS[@]} == 0 ]] && return 0
    for filter in "${FILTERS[@]}"; do
        [[ $name == *"$filter"* ]] && return 0
    done
    return 1
}

started=$(ws_now)
wine_session_start
echo "Wine session on $DISPLAY, ready in $(ws_elapsed "$started") s: $(basename "$BUILD") in $(ws_describe_mode)"

SHOTS=$BUILD/tests/wine/screenshots
SUMMARY=()
declare -A VERSIONS_RAN=()
for i in "${!SCENARIO_NAMES[@]}"; do
    name=${SCENARIO_NAMES[$i]}
    selected "$name" || continue
    echo
    echo "=== $name"
    scenario_started=$(ws_now)
    SCENARIO_PASSED=0
    SCENARIO_FAILED=0
    new_prefix "$name"
    WINDOWS_VERSION=${SCENARIO_VERSIONS[$i]}
    if [[ -n $WINDOWS_VERSION ]]; then
        wine reg add 'HKCU\Software\Wine' /v Version /d "$WINDOWS_VERSION" /f </dev/null >/dev/null 2>&1
        wine_run 30 "$BUILD/tests/wine/driver.exe" version
        expect_eq "$(cat "$WINE_OUT")" "4.0 $([[ $WINDOWS_VERSION == win95 ]] && echo windows95 || echo nt)" \
            "programs of the prefix see $WINDOWS_VERSION"
    fi
    VERSIONS_RAN[${WINDOWS_VERSION:-default}]=1
    "${SCENARIO_FUNCTIONS[$i]}" ${SCENARIO_ARGUMENTS[$i]:+"${SCENARIO_ARGUMENTS[$i]}"} ||
        fail "scenario $name stopped with exit code $?"
    if [[ $SCENARIO_FAILED != 0 ]]; then
        mkdir -p "$SHOTS"
        wine_screenshot "$SHOTS/$name.png" 2>/dev/null && echo "  screen at the end: $SHOTS/$name.png"
    fi
    end_prefix
    # A 64-bit prefix with its 32-bit side is 1.3 GB: a whole run would fill the disk. A
    # failed scenario's prefix stays for a look.
    [[ $SCENARIO_FAILED != 0 ]] || rm -rf "$WINEPREFIX"
    TOTAL_PASSED=$((TOTAL_PASSED + SCENARIO_PASSED))
    TOTAL_FAILED=$((TOTAL_FAILED + SCENARIO_FAILED))
    SUMMARY+=("$(printf '%-24s %4d passed, %d failed  (%s s)' "$name" "$SCENARIO_PASSED" "$SCENARIO_FAILED" \
        "$(ws_elapsed "$scenario_started")")")
done

wine_session_stop
echo
printf '%s\n' "${SUMMARY[@]}"
# Wine's default first, then the shipped-for systems that ran.
echo "Windows versions: $(printf '%s\n' "${!VERSIONS_RAN[@]}" | sort | sed "s/^default$/Wine's default/" |
    paste -sd, - | sed 's/,/, /g')"
echo "$TOTAL_PASSED passed, $TOTAL_FAILED failed"
[[ $TOTAL_FAILED == 0 ]]
