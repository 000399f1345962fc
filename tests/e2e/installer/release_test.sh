#!/usr/bin/env bash
# The release as operators get it, in a fresh Wine prefix of its own, as on a
# machine that never had Lumeric: release_check.exe installs the setup program
# silently for all users and just for me, checks, uninstalls each with the
# command Apps and Features holds and finds nothing left; then the portable
# zip, unpacked, runs lumeric-cli.exe from its folder (the two programs and
# the README in one folder).
#   release_test.sh SETUP ZIP CHECK PREFIX VERSION
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../../../scripts/lib" && pwd)
rm -rf "${4:?prefix folder}"
"$scripts/wine-prefix.sh" start "$4"
# Each program below starts the server anew and it ends after the last
# Wine process, so waiting for it waits for the uninstaller's own copy too.
"$scripts/wine-prefix.sh" stop "$4"

WINEPREFIX=$(cd "$4" && pwd)
. "$scripts/wine-env.sh"
# Shortcuts stay inside the prefix, out of this machine's menus.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
# Z: is the root of this machine's files. A space in the folder, as in
# "Program Files": the uninstall commands must quote it.
export LUMERIC_SETUP="Z:${1//\//\\}" LUMERIC_INSTALL_DIR='C:\Lumeric Test\tools'
export LUMERIC_USER_INSTALL_DIR='C:\Lumeric Test\mine'
for suite in Setup Installed UninstallPerUser PerUserUninstalled Uninstall Uninstalled; do
  "$scripts/wine.sh" "${3:?release_check.exe}" --gtest_filter="$suite.*"
  "$scripts/wine.sh" --server -w
done

folder=$WINEPREFIX/drive_c/portable/$(basename "${2:?portable zip}" -portable.zip)
mkdir -p "$folder" && (cd "$folder/.." && cmake -E tar xf "$2") && ls "$folder/Lumeric.exe" "$folder/README.txt" >/dev/null
# Through a file: Wine's helper processes outlive the program and must not
# hold CTest's pipes open.
"$scripts/wine.sh" "$folder/lumeric-cli.exe" --version </dev/null >"$folder/../version.out" 2>&1 || true
tr -d '\r' <"$folder/../version.out" | grep -qxF "lumeric-cli ${5:?version}" || { cat "$folder/../version.out"; exit 1; }
