#!/usr/bin/env bash
# Sets everything up and starts Talvo on its default data file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
if [ ! -x build/mainwnd/talvo ]; then
  echo "Talvo's window is not built yet: only the reminder model and its tests exist so far." >&2
  exit 1
fi
exec ./build/mainwnd/talvo "$@"
