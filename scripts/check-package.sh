#!/usr/bin/env bash
# Builds the Debian package from the Release build, installs it with apt as a user would, and
# runs the installed programs. Usage: check-package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi

rm -f "$build"/linecal_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/linecal_*.deb)
echo "built $deb"
dpkg-deb --info "$deb" | grep -E '^ (Depends|Package|Version):'
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$(realpath "$deb")" >/dev/null
/usr/bin/linecal --help >/dev/null
# The item commands run in a module the package installs beside the program's libraries.
tmp=$(mktemp -d)
/usr/bin/linecal --store "$tmp/calendars" --config "$tmp/linecal.conf" preview "Lunch 1pm" >/dev/null
rm -rf "$tmp"
/usr/bin/linecal-app --version
test -f /usr/share/applications/linecal.desktop
test -f /usr/share/icons/hicolor/scalable/apps/linecal.svg
echo "the package installs and its programs run"
