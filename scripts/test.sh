#!/usr/bin/env bash
# Every test: installs what is missing, builds the native core with its unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, cross-builds quillane.exe for i686 and
# x86_64, and runs the Wine tests against the i686 build under Xvfb.
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

tests/wine/run.sh build/i686
