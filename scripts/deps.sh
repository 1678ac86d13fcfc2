# Installs what building and testing Quillane needs on Debian, when it is missing.
# Sourced by scripts/test.sh and scripts/run.sh. qemu-user and gcc-multilib run Wine's 32-bit
# side where the kernel runs no 32-bit programs (scripts/wine-session.sh).

quillane_packages=(
  cmake ninja-build g++ python3 libgtest-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine
  xvfb x11-xkb-utils x11-utils xdotool imagemagick
  qemu-user gcc-multilib
)

quillane_missing_packages() {
  local p missing=()
  for p in "${quillane_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]}"
}

quillane_ensure_packages() {
  local missing
  missing=$(quillane_missing_packages)
  [ -z "$missing" ] && return 0
  echo "Installing: $missing"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  # Wine's 32-bit half comes from the i386 architecture.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing >/dev/null
}
