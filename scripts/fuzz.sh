#!/usr/bin/env bash
# fuzz.sh [seconds]: builds the libFuzzer targets with clang (the parsers
# instrumented as well as the targets) and runs each for a bounded time, then
# prints the edges covered and the inputs run per target.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-60}
bash scripts/install-deps.sh
bash scripts/build.sh build-fuzz -DTALVO_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTALVO_WERROR=ON
summary=()
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  log=$(mktemp)
  cp -r "fuzz/corpus/${name#fuzz_}/." "$corpus/" 2>/dev/null || true
  echo "== $name for ${secs}s"
  "$target" -max_total_time="$secs" -rss_limit_mb=2048 -print_final_stats=1 "$corpus" 2>&1 | tee "$log"
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n1 || true)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  edges=$(printf '%s\n' "$done_line" | sed -n 's/.*cov: \([0-9]*\).*/\1/p')
  summary+=("$name: ${edges:-?} edges, ${runs:-?} inputs in ${secs}s")
  rm -rf "$corpus" "$log"
done
printf '%s\n' "${summary[@]}"
