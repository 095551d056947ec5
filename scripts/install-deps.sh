#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Talvo need.
# Does nothing when they are all present; uses sudo when not run as root.
# The Windows build (mingw-w64, Wine, NSIS, the icon tools) is included.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config clang-format g++-mingw-w64-x86-64-posix
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev libqt6svg6-dev qt6-translations-l10n
  libxcb1-dev libxcb-xtest0-dev libxcb-keysyms1-dev libx11-dev libxkbcommon-dev
  xvfb xauth x11-utils xdg-utils dbus-daemon
  openbox trayer xdotool x11-xkb-utils imagemagick faketime dbus dunst python3 strace syncthing
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  appstream desktop-file-utils dpkg-dev file
  fonts-dejavu-core
  wine64 nsis librsvg2-bin icoutils zip locales
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The Swedish locale: Wine takes the Windows tests' language from it, so that
# the system's own buttons are labelled as on a Swedish Windows.
if ! locale -a 2>/dev/null | grep -qi '^sv_SE\.utf-\?8$'; then
  $sudo sed -i 's/^# *\(sv_SE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^sv_SE.UTF-8 UTF-8' /etc/locale.gen || echo 'sv_SE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
