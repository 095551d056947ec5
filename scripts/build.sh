#!/usr/bin/env bash
# build.sh [build-dir] [extra cmake args...]: configures (when not yet
# configured, or when arguments are given) and builds.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
if [ ! -f "$dir/build.ninja" ] || [ $# -gt 0 ]; then
  cmake -S . -B "$dir" -G Ninja "$@"
fi
cmake --build "$dir" -j"$(nproc)"
