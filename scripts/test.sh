#!/usr/bin/env bash
# Every test: installs what is missing, builds the native core with its unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, cross-builds quillane.exe for i686 and
# x86_64, checks the shipped exe's imports and instructions and both packages, runs every Wine
# test against the i686 build under Xvfb (under qemu-i386 where the kernel runs no 32-bit
# programs), then some scenarios of the x86_64 build and both packages' installation and
# removal in a 64-bit prefix.
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
# The shipped exe calls only what Windows 95 and NT 4.0 both have, runs on their processors, and
# its image holds nothing they cannot load or read.
scripts/check-imports.sh build/i686/app/quillane.exe
scripts/check-instructions.sh build/i686/app/quillane.exe
scripts/check-image.sh build/i686/app/quillane.exe

# The downloads for Windows users, win32 (the shipped one) and win64: exactly the program, its
# installation file and the readme, the first two as the build made them.
for arch in i686:win32 x86_64:win64; do
  cmake --build "build/${arch%:*}" --target package >/dev/null
  python3 - "build/${arch%:*}" "quillane-2.0-${arch#*:}.zip" <<'EOF'
import pathlib, sys, zipfile
build, name = pathlib.Path(sys.argv[1]), sys.argv[2]
package = zipfile.ZipFile(build / name)
names = sorted(package.namelist())
if names != ["install.txt", "quillane.exe", "quillane.inf"]:
    sys.exit(f"{name} holds {names}")
for member in ["quillane.exe", "quillane.inf"]:
    if package.read(member) != (build / "app" / member).read_bytes():
        sys.exit(f"{member} in {name} is not the one built")
print(f"{name}: " + ", ".join(names))
EOF
done

# The whole Wine suite on the shipped i686 build: in a 32-bit prefix where the kernel runs
# 32-bit programs, otherwise in a 64-bit prefix whose 32-bit side runs under qemu-i386. Then
# the x86_64 build in a 64-bit prefix: its short life from first run to WM_CLOSE, the owned
# windows of plain owners, slow and late programs and the windows left by an ended run (where a
# 64-bit build meets other handles and message sizes), and both packages installed and removed
# as on 64-bit Windows. One session directory for both runs,
# so that a prefix template is booted once where both use the same.
source scripts/wine-session.sh
echo "Wine tests of the i686 build: $(ws_describe_mode)"
if [[ -z ${QUILLANE_WINE_DIR:-} ]]; then
  QUILLANE_WINE_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quillane-test.XXXXXX")
  export QUILLANE_WINE_DIR
  trap 'rm -rf "$QUILLANE_WINE_DIR"' EXIT
fi
tests/wine/run.sh build/i686
tests/wine/run.sh build/x86_64 smoke robust-plain-owners robust-slow-program robust-late-program \
  robust-ended-from-outside install-64bit-windows
