#!/usr/bin/env bash
# The setup program in a fresh Wine prefix of its own, as on a machine that
# never had Lumeric: release_check.exe installs silently, checks, uninstalls
# with the command Apps and Features holds, and finds nothing left.
#   setup_test.sh SETUP CHECK PREFIX
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../../../scripts" && pwd)
setup=${1:?setup program}
check=${2:?release_check.exe}
rm -rf "${3:?prefix folder}"
"$scripts/wine-prefix.sh" start "$3"
# Each program below starts the server anew and it ends after the last
# Wine process, so waiting for it waits for the uninstaller's own copy too.
"$scripts/wine-prefix.sh" stop "$3"

WINEPREFIX=$(cd "$3" && pwd)
. "$scripts/wine-env.sh"
# Shortcuts stay inside the prefix, out of this machine's menus.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
LUMERIC_SETUP=$("$scripts/wine.sh" winepath.exe -w "$setup")
# A space in it, as in "Program Files": the uninstall commands must quote it.
export LUMERIC_SETUP LUMERIC_INSTALL_DIR='C:\Lumeric Test\tools'

for suite in Setup Installed Uninstall Uninstalled; do
  "$scripts/wine.sh" "$check" --gtest_filter="$suite.*"
  "$scripts/wine.sh" --server -w
done
