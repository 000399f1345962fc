#!/usr/bin/env bash
# The portable zip as a service laptop uses it: unpacked anywhere, the two
# programs and the README in one folder, and lumeric-cli.exe runs from there.
# The test passes on the version line that lumeric-cli.exe --version prints.
#   portable_zip_test.sh ZIP PREFIX WORK
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../../../scripts" && pwd)
zip=${1:?portable zip}
WINEPREFIX=${2:?Wine prefix}
work=${3:?folder to unpack into}
. "$scripts/wine-env.sh"

rm -rf "$work"
mkdir -p "$work"
(cd "$work" && cmake -E tar xf "$zip")
folder=$(basename "$zip" -portable.zip)
for file in Lumeric.exe lumeric-cli.exe README.txt; do
  [ -f "$work/$folder/$file" ] || { echo "$file is not in $folder/ of $zip" >&2; exit 1; }
done
# Through a file: Wine's helper processes outlive the program and must not
# hold CTest's pipes open.
"$scripts/wine.sh" "$work/$folder/lumeric-cli.exe" --version </dev/null >"$work/version.out" 2>&1 || true
cat "$work/version.out"
