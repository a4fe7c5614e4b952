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

echo "== Windows build and tests under Wine"
cmake --preset windows
cmake --build --preset windows
# Wine runs the 32-bit build as 32-bit x86 code. A kernel that cannot execute
# it (a virtual machine without a 32-bit compatibility mode, say) would fail
# every Windows test with "Exec format error"; say why once instead.
if ! wine --version >/dev/null 2>&1; then
  echo "test.sh: this machine cannot run 32-bit x86 programs ('wine --version' fails):" \
    "the Windows build cannot be tested here. The native tests passed and the Windows build compiled." >&2
  exit 1
fi
# The Windows program's tests need a display: one Xvfb for the whole run.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; WINEPREFIX=$PWD/build/windows/wineprefix wineserver -k 2>/dev/null || true' EXIT
export DISPLAY=$display
ctest --preset windows
