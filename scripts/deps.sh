# Installs what building and testing Quillane needs on Debian, when it is missing.
# Sourced by scripts/test.sh and scripts/run.sh. qemu-user and gcc-multilib run Wine's 32-bit
# side where the kernel runs no 32-bit programs (scripts/wine-session.sh).
#
# A package index can be out of step with its mirror for a while ("File has unexpected size ...
# Mirror sync in progress?"). The update is tried a few times and then the packages are
# installed from the indexes apt has. When the i386 index is the one missing, apt cannot
# install wine32:i386 (its i386 libraries no longer match the amd64 ones already installed);
# its files are then unpacked from the same packages into the places the package would use.
# Whatever still cannot be installed ends the run with one message naming it and the cause.

quillane_packages=(
  cmake ninja-build g++ python3 libgtest-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine
  xvfb x11-xkb-utils x11-utils xdotool imagemagick
  qemu-user gcc-multilib
)

# The files of Wine's 32-bit half that the unpacked tree must hold (the loader, the Unix side,
# and the zlib1.dll that the package's own script writes).
quillane_wine32_files=(
  /usr/lib/wine/wine
  /usr/lib/i386-linux-gnu/wine/i386-unix/ntdll.so
  /usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
)

quillane_sudo() {
  if [ "$(id -u)" -ne 0 ]; then sudo "$@"; else "$@"; fi
}

quillane_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

quillane_wine32_present() {
  quillane_installed wine32:i386 && return 0
  local f
  for f in "${quillane_wine32_files[@]}"; do [ -e "$f" ] || return 1; done
}

quillane_missing_packages() {
  local p missing=()
  for p in "${quillane_packages[@]}"; do
    if [ "$p" = wine32:i386 ]; then
      quillane_wine32_present || missing+=("$p")
    else
      quillane_installed "$p" || missing+=("$p")
    fi
  done
  echo "${missing[@]}"
}

# apt-get update, three times at most: a mirror in mid-sync is usually whole again within
# seconds. A failure after that is reported and the run goes on with the indexes apt has.
quillane_apt_update() {
  local try log
  log=$(mktemp)
  for try in 1 2 3; do
    if quillane_sudo apt-get update -qq >"$log" 2>&1; then rm -f "$log"; return 0; fi
    [ "$try" -lt 3 ] && sleep 5
  done
  echo "apt-get update failed three times; going on with the package indexes apt has:"
  grep -E '^(E|W):' "$log" | head -3 | sed 's/^/  /'
  rm -f "$log"
  return 1
}

# apt-get install of the given packages; on failure, each one alone, so that the message names
# exactly those that cannot be installed and apt's reason for each.
quillane_apt_install() {
  local log p failed=()
  log=$(mktemp)
  if DEBIAN_FRONTEND=noninteractive quillane_sudo apt-get install -y -qq "$@" >"$log" 2>&1; then
    rm -f "$log"; return 0
  fi
  for p in "$@"; do
    if ! DEBIAN_FRONTEND=noninteractive quillane_sudo apt-get install -y -qq "$p" >"$log" 2>&1; then
      failed+=("$p")
      quillane_install_error="$p: $(grep -E '^E:|Depends:' "$log" | head -2 | tr '\n' ' ')"
    fi
  done
  rm -f "$log"
  [ ${#failed[@]} -eq 0 ]
}

# Wine's 32-bit half without apt's install: the i386 packages that wine32 needs (its
# dependencies and the X libraries that its display driver loads) are downloaded and unpacked,
# and their libraries, the loader and the dynamic linker's configuration copied into place,
# never over a file already there.
quillane_unpack_wine32() {
  local dir deb installed
  dir=$(mktemp -d)
  installed=$(dpkg-query -W -f='${Package}:${Architecture} ${Status}\n' 2>/dev/null |
              awk '/install ok installed/ {print $1}')
  apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
      --no-replaces --no-enhances wine32:i386 libxcomposite1:i386 libxcursor1:i386 \
      libxfixes3:i386 libxi6:i386 libxinerama1:i386 libxrandr2:i386 libxrender1:i386 \
      libxxf86vm1:i386 2>/dev/null |
    grep -E '^(lib|wine32|ocl-icd|zlib1g)[^ ]*:i386$' | sort -u |
    grep -vxF -f <(echo "$installed") >"$dir/packages"
  if ! grep -qx 'wine32:i386' "$dir/packages" ||
     ! (cd "$dir" && apt-get download $(cat packages) >download.log 2>&1); then
    quillane_install_error="wine32:i386: its i386 packages cannot be downloaded either: $(grep -E '^E:' "$dir/download.log" 2>/dev/null | head -1)"
    rm -rf "$dir"; return 1
  fi
  mkdir "$dir/root"
  for deb in "$dir"/*.deb; do dpkg-deb -x "$deb" "$dir/root"; done
  local r=$dir/root
  quillane_sudo mkdir -p /usr/lib/i386-linux-gnu /usr/lib/wine
  [ -d "$r/lib/i386-linux-gnu" ] && quillane_sudo cp -an "$r/lib/i386-linux-gnu/." /usr/lib/i386-linux-gnu/
  quillane_sudo cp -an "$r/usr/lib/i386-linux-gnu/." /usr/lib/i386-linux-gnu/
  quillane_sudo cp -an "$r/usr/lib/wine/." /usr/lib/wine/
  [ -d "$r/etc/ld.so.conf.d" ] && quillane_sudo cp -an "$r/etc/ld.so.conf.d/." /etc/ld.so.conf.d/
  [ -e /lib/ld-linux.so.2 ] || { [ -e "$r/lib/ld-linux.so.2" ] && quillane_sudo cp -a "$r/lib/ld-linux.so.2" /lib/; }
  quillane_sudo ldconfig
  # What the package's own script does: Wine's builtin zlib1.dll is MinGW's, marked as builtin.
  python3 - /usr/i686-w64-mingw32/lib/zlib1.dll "$dir/zlib1.dll" <<'EOF'
import sys
image = bytearray(open(sys.argv[1], 'rb').read())
image[64:96] = b'Wine builtin DLL' + bytes(16)
open(sys.argv[2], 'wb').write(image)
EOF
  quillane_sudo cp -n "$dir/zlib1.dll" /usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
  rm -rf "$dir"
  quillane_wine32_present || { quillane_install_error="wine32:i386: the unpacked tree is incomplete"; return 1; }
}

quillane_ensure_packages() {
  local missing others=() p
  missing=$(quillane_missing_packages)
  [ -z "$missing" ] && return 0
  echo "Installing: $missing"
  # Wine's 32-bit half comes from the i386 architecture.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    quillane_sudo dpkg --add-architecture i386
  fi
  quillane_apt_update || true
  quillane_install_error=""
  for p in $missing; do [ "$p" = wine32:i386 ] || others+=("$p"); done
  if [ ${#others[@]} -gt 0 ] && ! quillane_apt_install "${others[@]}" >/dev/null; then
    echo "Cannot install $quillane_install_error" >&2
    return 1
  fi
  case " $missing " in *" wine32:i386 "*)
    if ! quillane_apt_install wine32:i386 >/dev/null; then
      echo "apt cannot install wine32:i386 ($quillane_install_error); unpacking its i386 packages instead"
      if ! quillane_unpack_wine32; then
        echo "Cannot install $quillane_install_error" >&2
        echo "The Wine tests of the shipped 32-bit exe cannot run without it." >&2
        return 1
      fi
    fi;;
  esac
  missing=$(quillane_missing_packages)
  if [ -n "$missing" ]; then
    echo "Still missing after the install: $missing" >&2
    return 1
  fi
}
