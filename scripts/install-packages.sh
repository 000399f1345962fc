#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when missing.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# wine64 and the x86-64 compilers: the Wine tiers on hosts without 32-bit support.
# clang and its runtime libraries: the fuzzers (libFuzzer).
# fonts-wqy-microhei: a CJK face for the console's Song-face texts under Wine.
# libcli11-dev, nlohmann-json3-dev: lumeric-cli's command line and JSON (header only).
# nsis: makensis, the setup program (scripts/package.sh, installer/).
# openssl: the gateway test's certificates; time and python3: the gateway's benchmark.
# tzdata: the gateway test that reads a zone half an hour off the hour. clang-format: the
# layout check of scripts/test.sh.
# libpaho-mqtt-dev, libssl-dev: lumeric-cli's MQTT gateway; mosquitto and mosquitto-clients:
# the broker and subscriber its tests start themselves.
# libsystemd-dev: sd_notify for the gateway's systemd service. help2man, dpkg-dev
# (dpkg-shlibdeps), lintian, systemd (systemd-analyze) and man-db: the Debian package
# (scripts/package.sh) and its tier (tests/package/).
for pkg in cmake g++ make googletest libcli11-dev nlohmann-json3-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix wine wine64 clang libclang-rt-14-dev locales xvfb imagemagick fonts-wqy-microhei nsis \
    libpaho-mqtt-dev libssl-dev mosquitto mosquitto-clients openssl time python3 tzdata clang-format \
    libsystemd-dev help2man dpkg-dev lintian systemd man-db; do
  have "$pkg" || need+=("$pkg")
done
# mbpoll: the benchmark's yardstick for a poll of the line.
have mbpoll || need+=(mbpoll)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  need+=(wine32:i386)
elif ! have wine32:i386; then
  need+=(wine32:i386)
fi

if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}"
fi

# The console's texts and the units' names are code page 936: Wine takes it from the locale.
# One end-to-end run is on an English system (code page 1252), where both must hold too.
for loc in zh_CN en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$loc\.utf-\?8\$"; then
    as_root sed -i "s/^# *$loc.UTF-8 UTF-8/$loc.UTF-8 UTF-8/" /etc/locale.gen
    grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
  fi
done
