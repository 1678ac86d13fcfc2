#!/usr/bin/env bash
# Every test: installs what is missing, builds the native core with its unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, cross-builds quillane.exe for i686 and
# x86_64, checks the shipped exe's imports, runs the Wine tests against the i686 build under
# Xvfb and a short smoke scenario of the x86_64 build in a 64-bit prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
quillane_ensure_packages

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build build/native -j "$jobs"
ctest --test-dir build/native --output-on-failure -j "$jobs"

for preset in mingw-i686 mingw-x86_64; do
  cmake --preset "$preset" >/dev/null
  cmake --build "build/${preset#mingw-}" -j "$jobs"
done
# The shipped exe calls only what Windows 95 and NT 4.0 both have.
scripts/check-imports.sh build/i686/app/quillane.exe

tests/wine/run.sh build/i686
# The 64-bit build in a 64-bit prefix: its short life from first run to WM_CLOSE.
tests/wine/run.sh build/x86_64 smoke
