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

tests/wine/run.sh build/i686
