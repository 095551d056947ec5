#!/usr/bin/env bash
# Builds the Debian package, checks the launcher and the metainfo, installs
# the package, checks what it put where, and removes it again. Run as root
# (or with sudo available) on a Debian 12 machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo

desktop-file-validate packaging/example.lindqvarn.Talvo.desktop
appstreamcli validate --no-net packaging/example.lindqvarn.Talvo.metainfo.xml

rm -f build/talvo_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/talvo_*.deb)
echo "== $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,/Description:/p'

$sudo dpkg -i "$deb" || { $sudo apt-get -f install -y -qq; $sudo dpkg -i "$deb"; }
for f in /usr/lib/talvo/talvo /usr/lib/talvo/libtalvo_sound.so /usr/lib/talvo/ReadMe.txt /usr/lib/talvo/talvo.wav \
         /usr/share/applications/example.lindqvarn.Talvo.desktop \
         /usr/share/metainfo/example.lindqvarn.Talvo.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/talvo.svg /usr/share/icons/hicolor/48x48/apps/talvo.png; do
  [ -e "$f" ] || { echo "missing after install: $f" >&2; exit 1; }
done
[ "$(readlink -f /usr/bin/talvo)" = /usr/lib/talvo/talvo ] || { echo "bin/talvo is not the program" >&2; exit 1; }
# The installed program starts from its launcher's command, finds its files,
# and ends on SIGTERM with its list saved (the same check the tests make).
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/example.lindqvarn.Talvo.desktop)
bash tests/mainwnd/sigterm_test.sh "$exec_line"

$sudo dpkg -r talvo
for f in /usr/bin/talvo /usr/lib/talvo /usr/share/applications/example.lindqvarn.Talvo.desktop; do
  [ ! -e "$f" ] || { echo "left behind after removal: $f" >&2; exit 1; }
done
echo "package installs and removes cleanly"
