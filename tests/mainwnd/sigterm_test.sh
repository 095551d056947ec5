#!/usr/bin/env bash
# The real program, ended by SIGTERM as a logout ends it: it must save the
# list and leave at once, without asking anything.
set -euo pipefail
talvo=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export HOME=$tmp XDG_CONFIG_HOME=$tmp/c XDG_DATA_HOME=$tmp/d XDG_RUNTIME_DIR=$tmp QT_QPA_PLATFORM=offscreen
mkdir -p "$tmp/d/Talvo"
# One reminder due in 2030, remind off.
printf 'Talvo_1.2\r\nNytt\r\n3600\r\n1\r\n600\r\n1\r\nTandvard\r\n1893456000\r\n0\r\n600\r\n1\r\n' >"$tmp/d/Talvo/talvo.tlv"
"$talvo" 2>"$tmp/err" &
pid=$!
# Started when the settings store has been written.
for _ in $(seq 100); do [ -s "$tmp/c/Talvo/registry.reg" ] && break; sleep 0.1; done
sleep 0.5
kill -TERM $pid
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then
  kill -KILL $pid
  echo "still running 5 s after SIGTERM" >&2
  exit 1
fi
wait $pid || { echo "exit status $? after SIGTERM" >&2; cat "$tmp/err" >&2; exit 1; }
grep -q 'Tandvard' "$tmp/d/Talvo/talvo.tlv" || { echo "the list was not kept" >&2; exit 1; }
echo ok
