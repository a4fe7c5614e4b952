#!/usr/bin/env bash
# Installs everything the build, the tests and the program need on Debian 12, as root.
# Does nothing (beyond a quick check) when all of it is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine32 wine64 xvfb x11-utils x11-apps xauth
  python3 python3-xlib python3-pefile icoutils python3-pil
  hyperfine mawk time
)

missing=()
for p in "${packages[@]}"; do
  arch_p=$p
  [ "$p" = wine32 ] && arch_p=wine32:i386
  dpkg-query -W -f='${Status}' "$arch_p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$arch_p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages (${missing[*]}); run this script as root" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
