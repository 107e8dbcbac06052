#!/usr/bin/env bash
# An installed tree and a moved copy of the build tree each run `linecal` with their own modules:
# `preview` needs the items module, `calendars` with an account the CalDAV module (which then
# reports the closed port it was given, not its own absence).
# Usage: module_trees.sh BUILD_DIR LINECAL MODULE_SUBFOLDER
set -euo pipefail
build=$1 linecal=$2 modules=$3
. "$(dirname "$0")/../checks.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
unset LINECAL_MODULE_DIR

printf '[probe]\nurl=http://127.0.0.1:1/\nusername=probe\npassword-command=echo x\n' >"$tmp/accounts.conf"
run_tree() {  # PROGRAM LABEL
  local program=$1 label=$2 home="$tmp/home-$2"
  mkdir -p "$home/linecal"
  cp "$tmp/accounts.conf" "$home/linecal/"
  local out
  out=$(TZ=UTC LC_ALL=C.UTF-8 "$program" --store "$home/cal" --config "$home/linecal.conf" \
        preview --now 2010-03-10T15:00 "Lunch 1pm" 2>&1) || true
  contains "$label: preview runs in the items module" "Lunch at" "$out"
  out=$(XDG_CONFIG_HOME=$home XDG_CACHE_HOME=$home XDG_DATA_HOME=$home "$program" calendars 2>&1) || true
  contains "$label: the CalDAV module loads" "Could not connect to 127.0.0.1" "$out"
}

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
run_tree "$tmp/prefix/bin/linecal" installed

# A moved build tree: the program and the module folder, copied, then the build's own modules
# are out of reach (the copy must not lean on them).
mkdir -p "$tmp/moved/cli" "$tmp/moved/$modules"
cp "$linecal" "$tmp/moved/cli/"
cp "$build/$modules"/*.so "$tmp/moved/$modules/"
run_tree "$tmp/moved/cli/linecal" moved

# A tree without its modules says which one is missing and how to recover.
rm "$tmp/moved/$modules/liblinecal-items.so"
code=0
out=$("$tmp/moved/cli/linecal" preview "Lunch 1pm" 2>&1) || code=$?
check "a missing module is a usage error" 2 "$code"
contains "a missing module is named" "$tmp/moved/$modules/liblinecal-items.so is missing" "$out"
contains "and what to do about it" "Reinstall linecal, or set LINECAL_MODULE_DIR" "$out"
checks_done module_trees
