#!/usr/bin/env bash
# Takes docs/window.png: the built Kestrimo.exe under Wine in an Xvfb of its own,
# inside a Wine virtual desktop just larger than the window (so that the window
# has its frame and nothing else shows). Uses a Wine prefix of its own under the
# build folder, so the tests' prefix stays as it is.
# Usage: docs/take_screenshot.sh BUILD_DIR [OUTPUT.png] [DISPLAY_NUMBER]
set -euo pipefail
build=$(cd "$1" && pwd)
output=${2:-$(dirname "$0")/window.png}
display=:${3:-52}
desktop=Kestrimo
size=480x260

Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display WINEPREFIX=$build/screenshot-prefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml=
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$desktop" /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$desktop" /d "$size" /f >/dev/null 2>&1
wine explorer /desktop="$desktop,$size" "$build/app/Kestrimo.exe" >/dev/null 2>&1 &

window=
for _ in $(seq 1 100); do
  if xwininfo -root -tree | grep -q '"Kestrimo"'; then
    window=$(xwininfo -root -tree | awk '/Wine desktop|"Kestrimo - Wine/ {print $1; exit}')
    [ -n "$window" ] && break
  fi
  sleep 0.2
done
if [ -z "$window" ]; then
  echo "take_screenshot: the window did not appear" >&2
  xwininfo -root -tree >&2
  exit 1
fi
sleep 1
xwd -id "$window" -silent -out "$build/window.xwd"
python=/usr/bin/python3  # Debian's, which has python3-pil
[ -x "$python" ] || python=python3
"$python" "$(dirname "$0")/xwd_to_png.py" "$build/window.xwd" "$output"
echo "wrote $output"
