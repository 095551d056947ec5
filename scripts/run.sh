#!/usr/bin/env bash
# Sets everything up and starts Talvo on its default data file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
exec ./build/mainwnd/talvo "$@"
