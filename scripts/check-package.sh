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
# --reinstall: a package of the same version and size from an earlier build would be kept otherwise.
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install --reinstall -y -qq "$(realpath "$deb")" >/dev/null
/usr/bin/linecal --help >/dev/null
# The modules are installed under lib/linecal: the item commands, CalDAV and the address book.
for module in liblinecal-items.so liblinecal-caldav.so liblinecal-eds.so; do
  dpkg -L linecal | grep "/lib/linecal/$module\$" >/dev/null || { echo "the package lacks lib/linecal/$module" >&2; exit 1; }
done
# The item commands run in a module the package installs beside the program's libraries.
tmp=$(mktemp -d)
/usr/bin/linecal --store "$tmp/calendars" --config "$tmp/linecal.conf" preview "Lunch 1pm" >/dev/null
rm -rf "$tmp"
/usr/bin/linecal-app --version
# Server calendars: the installed CalDAV module loads (it reports the closed port, not its absence).
accounts=$(mktemp -d)
printf '[probe]\nurl=http://127.0.0.1:1/\nusername=probe\npassword-command=echo x\n' >"$accounts/accounts.conf"
mkdir -p "$accounts/linecal" && mv "$accounts/accounts.conf" "$accounts/linecal/"
XDG_CONFIG_HOME=$accounts XDG_CACHE_HOME=$accounts XDG_DATA_HOME=$accounts /usr/bin/linecal calendars 2>&1 |
  grep -q 'Could not connect to 127.0.0.1' || { echo "the installed linecal cannot load its CalDAV module" >&2; exit 1; }
rm -rf "$accounts"
test -f /usr/share/applications/linecal.desktop
test -f /usr/share/icons/hicolor/scalable/apps/linecal.svg
echo "the package installs and its programs run"
