#!/usr/bin/env bash
# Builds talvo.exe for 64-bit Windows with Debian's mingw-w64 in build-win/
# (ReadMe.txt and talvo.wav beside it), its tests, the zip and the installer.
# Installs what is missing first.
#   scripts/build-windows.sh [extra cmake args...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=build-win
if [ ! -f "$dir/build.ninja" ] || [ $# -gt 0 ]; then
  cmake -S . -B "$dir" -G Ninja --toolchain cmake/mingw-w64.cmake "$@"
fi
cmake --build "$dir" -j"$(nproc)"
cmake --build "$dir" --target talvo_windows_packages
echo "build-windows: $dir/mainwnd/talvo.exe, $(ls "$dir"/talvo-*.zip "$dir"/talvo-*-setup.exe | tr '\n' ' ')"
