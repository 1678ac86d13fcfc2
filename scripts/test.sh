#!/usr/bin/env bash
# Every test: installs what is missing, builds the native core with its unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, cross-builds quillane.exe for i686 and
# x86_64, checks the shipped exe's imports and its package, runs the Wine tests against the i686
# build under Xvfb and a short smoke scenario of the x86_64 build in a 64-bit prefix (or, where
# the kernel runs no 32-bit programs, the whole Wine suite on the x86_64 build).
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
# The shipped exe calls only what Windows 95 and NT 4.0 both have, and runs on their processors.
scripts/check-imports.sh build/i686/app/quillane.exe
scripts/check-instructions.sh build/i686/app/quillane.exe

# The download for Windows users: exactly the program, its installation file and the readme,
# the first two as the build made them.
cmake --build build/i686 --target package >/dev/null
python3 - build/i686 <<'EOF'
import pathlib, sys, zipfile
build = pathlib.Path(sys.argv[1])
package = zipfile.ZipFile(build / "quillane-2.0-win32.zip")
names = sorted(package.namelist())
if names != ["install.txt", "quillane.exe", "quillane.inf"]:
    sys.exit(f"quillane-2.0-win32.zip holds {names}")
for name in ["quillane.exe", "quillane.inf"]:
    if package.read(name) != (build / "app" / name).read_bytes():
        sys.exit(f"{name} in quillane-2.0-win32.zip is not the one built")
print("quillane-2.0-win32.zip: " + ", ".join(names))
EOF

# Where the kernel refuses 32-bit programs (Wine's 32-bit loader among them), the whole suite
# runs on the x86_64 build, which shares every line of the program, and says so.
source scripts/wine-session.sh
if ws_runs_32bit; then
  tests/wine/run.sh build/i686
  # The 64-bit build in a 64-bit prefix: its short life from first run to WM_CLOSE.
  tests/wine/run.sh build/x86_64 smoke
else
  echo "This kernel runs no 32-bit programs: the Wine tests run on the x86_64 build in a 64-bit prefix."
  tests/wine/run.sh build/x86_64
fi
