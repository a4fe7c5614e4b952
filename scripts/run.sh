#!/usr/bin/env bash
# Builds Kestrimo.exe and starts it under Wine on the current $DISPLAY, in its
# build's own Wine prefix (build/windows/wineprefix), made on first use as for
# the tests. On a fresh Debian 12 machine, as root, it first installs what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
  echo "run: no \$DISPLAY; start an X server (for example Xvfb :51 &) and set DISPLAY=:51" >&2
  exit 1
fi

scripts/setup.sh
# Where Wine cannot run the 32-bit program, its 64-bit build stands in (as in the tests).
windows=$(scripts/windows-preset)
cmake --preset "$windows"
cmake --build --preset "$windows" --target Kestrimo

KESTRIMO_WINE_BUILD_DIR=$PWD/build/$windows exec cmake/wine-run "build/$windows/app/Kestrimo.exe"
