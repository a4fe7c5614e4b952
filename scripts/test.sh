#!/usr/bin/env bash
# Runs every test: the native build (with sanitizers) and the Windows build
# under Wine, each from configure to the last test. Installs what is missing
# first (scripts/setup.sh), so on a fresh Debian 12 machine run it as root.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

echo "== native build and tests"
cmake --preset native
cmake --build --preset native
ctest --preset native

echo "== Windows build"
cmake --preset windows
cmake --build --preset windows
# Where Wine cannot run the 32-bit program, its 64-bit build is tested instead,
# which checks all of the Windows code but not the 32-bit image itself.
windows=$(scripts/windows-preset)
if [ "$windows" != windows ]; then
  cmake --preset "$windows"
  cmake --build --preset "$windows"
fi

echo "== Windows tests under Wine ($windows)"
# The Windows program's tests need a display: one Xvfb for the whole run.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; WINEPREFIX=$PWD/build/$windows/wineprefix wineserver -k 2>/dev/null || true' EXIT
export DISPLAY=$display
ctest --preset "$windows"
