#!/usr/bin/env bash
# wine-session.sh COMMAND...: runs COMMAND with a fresh Wine prefix in
# build-win/wine whose server and services are up before it and stopped after
# it (ctest would otherwise wait for Wine's helper processes to end). Wine's
# X11 driver runs unmanaged, so hiding a window does not wait for a window
# manager.
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX="$PWD/build-win/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export PATH="/usr/lib/wine:$PATH"
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true' EXIT
mkdir -p "$WINEPREFIX"
wineserver -p
wine64 cmd /c exit
wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
"$@"
