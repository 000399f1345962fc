#!/usr/bin/env bash
# The package tier: the Debian package in DIST (scripts/package.sh) as a site
# gets it. Unpacked into a temporary root it holds the programs, the unit, the
# example config (a conffile), the man pages and the documents; lintian finds
# no error in it; systemd accepts its unit; the unpacked programs run and
# their man pages read. SHA256SUMS covers it.
set -euo pipefail
dist=${1:?usage: check-deb.sh DIST}
cd "$dist"
deb=$(ls lumeric-cli_*.deb)
failed=0
fail() { echo "check-deb: $*" >&2; failed=1; }

sha256sum --quiet -c SHA256SUMS || fail "SHA256SUMS does not match"
grep -q " $deb\$" SHA256SUMS || fail "SHA256SUMS does not cover $deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for file in usr/bin/lumeric-cli usr/bin/lumeric-sim lib/systemd/system/lumeric-gateway@.service \
    etc/lumeric/example.conf usr/share/man/man1/lumeric-cli.1.gz usr/share/man/man1/lumeric-sim.1.gz \
    usr/share/doc/lumeric-cli/README.md usr/share/doc/lumeric-cli/copyright usr/share/doc/lumeric-cli/changelog.gz; do
  [ -f "$root/$file" ] || fail "$deb has no /$file"
done
[ "$(dpkg-deb -f "$deb" Depends)" != "" ] || fail "$deb names no dependencies"
dpkg-deb -I "$deb" conffiles | grep -qx /etc/lumeric/example.conf || fail "/etc/lumeric/example.conf is no conffile"

# Errors fail the tier; warnings are shown for the record.
lintian --tag-display-limit 0 "$deb" | tee "$root/lintian" || true
if grep -q '^E:' "$root/lintian"; then fail "lintian finds errors"; fi

# The unit as systemd reads it, its ExecStart found in the unpacked root.
sed "s|/usr/bin/lumeric-cli|$root/usr/bin/lumeric-cli|" "$root/lib/systemd/system/lumeric-gateway@.service" \
  >"$root/lumeric-gateway@.service"
systemd-analyze verify --man=no "$root/lumeric-gateway@.service" 2>&1 | tee "$root/verify"
[ ! -s "$root/verify" ] || fail "systemd-analyze verify objects to the unit"
systemd-analyze security --offline=true "$root/lumeric-gateway@.service" | tail -1

version=$(dpkg-deb -f "$deb" Version)
[ "$("$root/usr/bin/lumeric-cli" --version)" = "lumeric-cli $version" ] || fail "lumeric-cli --version is not $version"
for page in lumeric-cli lumeric-sim; do
  MANWIDTH=80 man -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 | grep -q "^NAME" || fail "man -l $page.1.gz shows no page"
done
[ "$failed" -eq 0 ] && echo "check-deb: $deb ($(stat -c %s "$deb") bytes) passes"
exit "$failed"
