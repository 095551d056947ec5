#!/usr/bin/env bash
# wine-session.sh COMMAND...: runs COMMAND with a fresh Wine prefix in
# build-win/wine whose server and services are up before it and stopped after
# it (ctest would otherwise wait for Wine's helper processes to end), with
# openbox on the display. Wine's X11 driver runs unmanaged, so hiding a window
# does not wait for the window manager.
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX="$PWD/build-win/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export PATH="/usr/lib/wine:$PATH"
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
# A window manager on the display: without one Wine pauses about 2 s each
# time a shown window is destroyed and another is activated.
wm=""
if [ -n "${DISPLAY:-}" ] && command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  wm=$!
fi
trap 'wineserver -k 2>/dev/null || true; [ -z "$wm" ] || kill "$wm" 2>/dev/null || true' EXIT
mkdir -p "$WINEPREFIX"
wineserver -p
wine64 cmd /c exit
wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
"$@"
