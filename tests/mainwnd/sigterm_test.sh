#!/usr/bin/env bash
# The real program, ended by SIGTERM as a logout ends it: it must save the
# list and leave within seconds, without asking anything, whatever is open,
# however many signals come; a list that cannot be saved goes to a recovery
# file.
set -euo pipefail
talvo=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen

fail() { echo "$*" >&2; [ -f "$home/err" ] && cat "$home/err" >&2; exit 1; }

# A fresh profile in $home; one reminder due in 2030, remind off.
profile() {
  home=$tmp/$1
  mkdir -p "$home/d/Talvo" "$home/c" "$home/run"
  chmod 700 "$home/run"
  export HOME=$home XDG_CONFIG_HOME=$home/c XDG_DATA_HOME=$home/d XDG_RUNTIME_DIR=$home/run
  printf 'Talvo_1.2\r\nNytt\r\n3600\r\n1\r\n600\r\n1\r\nTandvard\r\n1893456000\r\n0\r\n600\r\n1\r\n' \
    >"$home/d/Talvo/talvo.tlv"
}

# Waits until a condition holds, for at most five seconds.
wait_for() {
  for _ in $(seq 100); do eval "$1" && return 0; sleep 0.05; done
  return 1
}

# Sends the signals and checks that the program ends, with status 0, in time.
terminate() {
  local pid=$1 count=$2
  for _ in $(seq "$count"); do kill -TERM "$pid" 2>/dev/null || true; done
  if ! wait_for "! kill -0 $pid 2>/dev/null"; then
    kill -KILL "$pid"
    fail "still running 5 s after SIGTERM"
  fi
  wait "$pid" || fail "exit status $? after SIGTERM"
}

# 1. A running program with its window up.
profile plain
"$talvo" 2>"$home/err" &
pid=$!
wait_for "grep -q Settings '$home/c/Talvo/registry.reg' 2>/dev/null" || fail "did not start"
sleep 0.3
terminate $pid 1
grep -q 'Tandvard' "$home/d/Talvo/talvo.tlv" || fail "the list was not kept"
grep -q '"LastFile"=' "$home/c/Talvo/registry.reg" || fail "the settings were not written"

# 2. Repeated signals while the load error of start-up is up: ended once,
#    and the file that could not be read is kept aside before it is written.
profile startup
printf '\xEF\xBB\xBFnot a list\r\n' >"$home/list.tlv"
TALVO_TRACE=1 "$talvo" "$home/list.tlv" 2>"$home/err" &
pid=$!
wait_for "grep -q \"Couldn't read file\" '$home/err'" || fail "the load error did not come"
sleep 0.3
terminate $pid 3
ls "$home"/list.tlv.unreadable-* >/dev/null 2>&1 || fail "the unreadable file was not kept"
grep -q 'not a list' "$home"/list.tlv.unreadable-* || fail "the kept copy differs"
head -c 9 "$home/list.tlv" | grep -q 'Talvo_1.2' || fail "the list was not saved"

# 3. A list that cannot be saved where it is: a recovery file keeps it.
profile recovery
printf 'x' >"$home/blocker"
TALVO_TRACE=1 "$talvo" "$home/blocker/list.tlv" 2>"$home/err" &
pid=$!
wait_for "grep -q \"Couldn't read file\" '$home/err'" || fail "did not start"
sleep 0.3
terminate $pid 1
ls "$home"/d/Talvo/talvo-recovery-*.tlv >/dev/null 2>&1 || fail "no recovery file"
grep -q "$home/blocker/list.tlv" "$home/c/Talvo/registry.reg" || fail "the settings were not written"
echo ok
