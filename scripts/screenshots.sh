#!/usr/bin/env bash
# Takes the README's pictures of the program as a user sees it, on a virtual
# X display with a window manager and a system tray:
#   docs/main-window.png  the list with upcoming reminders
#   docs/alarm.png        the same list while two reminders are due
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${TALVO_SCREENSHOT_DISPLAY:-}" ]; then
  bash scripts/install-deps.sh
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  need=()
  for p in openbox trayer xdotool imagemagick; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
  done
  if [ ${#need[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
  fi
  bash scripts/build.sh build
  TALVO_SCREENSHOT_DISPLAY=1 exec xvfb-run -a -s "-screen 0 760x520x24" bash "$0"
fi

tmp=$(mktemp -d)
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$tmp"; }
trap cleanup EXIT
export HOME=$tmp XDG_CONFIG_HOME=$tmp/c XDG_DATA_HOME=$tmp/d XDG_RUNTIME_DIR=$tmp
export TZ=Europe/Stockholm LANG=sv_SE.UTF-8
unset LC_ALL LC_TIME LC_MESSAGES
unset DBUS_SESSION_BUS_ADDRESS  # the tray below is the X11 one
chmod 700 "$tmp"

openbox >/dev/null 2>&1 & pids+=($!)
trayer --edge bottom --align right --widthtype request --height 28 --SetDockType true \
       --transparent false --tint 0xd0d0d0 >/dev/null 2>&1 & pids+=($!)
sleep 1

# Due times are seconds since 1970 in local standard time (UTC+1 here).
now=$(( $(date +%s) + 3600 ))
day=86400
write_list() {  # one reminder per argument: "offset|remind|push seconds|text"
  local file=$tmp/d/Talvo/talvo.tlv
  mkdir -p "$(dirname "$file")"
  printf 'Talvo_1.2\r\nNytt meddelande\r\n3600\r\n1\r\n600\r\n1\r\n' >"$file"
  local r offset remind push text
  for r in "$@"; do
    IFS='|' read -r offset remind push text <<<"$r"
    printf '%s\r\n%d\r\n%d\r\n%d\r\n1\r\n' "$text" $(( (now + offset) / 60 * 60 )) "$remind" "$push" >>"$file"
  done
}

start() {
  rm -rf "$tmp/c"
  ./build/mainwnd/talvo >/dev/null 2>&1 & pid=$!
  for _ in $(seq 100); do xdotool search --name '^Talvo - ' >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 1
}
stop() { kill -TERM $pid; wait $pid || true; }

upcoming=(
  "$(( 2 * 3600 ))|1|600|Ring tandläkaren och boka om tiden"
  "$(( day + 9 * 3600 ))|1|3600|Lämna tillbaka biblioteksböckerna"
  "$(( 3 * day ))|1|86400|Betala hyran"
  "$(( 6 * day ))|0|86400|Köp present till Annas födelsedag"
  "$(( 14 * day ))|1|604800|Byt till vinterdäck"
)
write_list "${upcoming[@]}"
start
import -window root docs/main-window.png
stop

# The alarm as it usually comes: the window waits in the tray until a message
# falls due, then comes back with the first due message selected.
write_list "70|1|600|Hämta paketet på posten" "130|1|600|Möte med Erik kl. 10" "${upcoming[@]}"
start
xdotool search --name '^Talvo - ' windowminimize
due=$(( (now + 130) / 60 * 60 - now ))
sleep $(( due > 0 ? due + 2 : 2 ))
# The tray icon blinks; keep the picture that shows its alarm phase.
best=-1
for i in 1 2 3 4; do
  import -window root "$tmp/alarm$i.png"
  red=$(convert "$tmp/alarm$i.png" -gravity southeast -crop 40x28+0+0 -format '%[fx:int(1000*(mean.r-mean.b))]' info:)
  if [ "$red" -gt "$best" ]; then best=$red; cp "$tmp/alarm$i.png" docs/alarm.png; fi
  sleep 0.25
done
stop
echo "wrote docs/main-window.png and docs/alarm.png"
