#!/usr/bin/env bash
# Builds the Windows program and its tests (scripts/build-windows.sh) and runs
# them under Wine on a virtual X display: the unit tests through ctest, then
# the end-to-end check of talvo.exe and the installer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-windows.sh -DTALVO_WERROR=ON
# The end-to-end check compares with what the Linux build writes.
[ -f build/build.ninja ] || bash scripts/build.sh build -DTALVO_WERROR=ON
cmake --build build --target talvo
xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/wine-session.sh \
  ctest --test-dir build-win --output-on-failure
# Each end-to-end test makes its own desktop and Wine prefix.
E2E_SHOTS="$PWD/build-win/e2e-shots" /usr/bin/python3 tests/e2e/run.py test_windows
