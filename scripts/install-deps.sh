#!/usr/bin/env bash
# Installs the Debian 12 packages linecal needs to build, test, benchmark and fuzz.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
$SUDO apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev \
  libicu-dev libical-dev qt6-base-dev libcli11-dev nlohmann-json3-dev \
  libgtest-dev libgmock-dev googletest libbenchmark-dev \
  locales tzdata khal todoman python3-icalendar hyperfine >/dev/null
# The desktop program: Qt's X11 platform and SVG icons, xcb, GIO, the journal; and what its
# end-to-end check drives it with (X server, tray host, keys, screen reader bus, screenshots).
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  qt6-qpa-plugins qt6-svg-dev libqt6svg6 libxcb1-dev libxcb-keysyms1-dev libglib2.0-dev libsystemd-dev \
  desktop-file-utils dpkg-dev file xvfb xauth x11-xserver-utils xdotool trayer imagemagick \
  dbus dbus-x11 at-spi2-core python3-pyatspi fonts-dejavu-core sysstat xdg-desktop-portal python3-dbus >/dev/null
# The user's own e-mail addresses come from Evolution Data Server: its client library, and its
# daemons, which the address-book tests start on a private session bus.
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  libebook1.2-dev libecal2.0-dev libedataserver1.2-dev evolution-data-server >/dev/null
# Server calendars: CalDAV through libcurl, libxml2 and libsecret; Radicale as the test server,
# gnome-keyring as the test keyring, vdirsyncer as the other client, openssl for a test certificate.
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  libcurl4-openssl-dev libxml2-dev libsecret-1-dev radicale vdirsyncer gnome-keyring dbus-daemon dbus-bin \
  openssl >/dev/null
# The chrono-node comparison in bench/ runs node and npm; a machine that has them
# from elsewhere keeps its own (Debian's npm would replace them).
if ! command -v npm >/dev/null; then
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends nodejs npm >/dev/null
fi
# Tests run in several locales; generate the ones the system may lack.
if [ -f /etc/locale.gen ]; then
  for l in en_US.UTF-8 de_DE.UTF-8 sv_SE.UTF-8 en_GB.UTF-8; do
    $SUDO sed -i "s/^# *${l} /${l} /" /etc/locale.gen
  done
  $SUDO locale-gen >/dev/null
fi
