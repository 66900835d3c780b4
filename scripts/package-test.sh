#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it, runs the installed programs on the
# demo machine, checks and validates the desktop files, and removes the package again. Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-packages.sh
install_packages lintian desktop-file-utils appstream dpkg-dev python3 binutils man-db
# man picks the Russian pages only when the ru_RU locale exists.
install_russian_locale

deb=$(bash scripts/package.sh | tail -n 1)
echo "== $deb"
dpkg-deb --field "$deb"
# Qt's Russian texts come from a package no library links: it must be named among the dependencies.
dpkg-deb --field "$deb" Depends | grep -q 'qt6-translations-l10n' || { echo "Depends lacks qt6-translations-l10n"; exit 1; }

echo "== lintian"
lintian_out=$(lintian --fail-on error --info "$deb") || { echo "$lintian_out"; exit 1; }
echo "$lintian_out"
if grep -q 'hardening-' <<<"$lintian_out"; then echo "lintian finds the programs' hardening incomplete"; exit 1; fi

removePackage() { apt-get remove -y -qq trelvane >/dev/null 2>&1 || true; }
trap removePackage EXIT
echo "== install"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "./$deb" >/dev/null

echo "== hardening of the installed programs"
# Each listing is read whole first: grep -q stops early, and under pipefail the writer's broken pipe
# would count as a failure.
for program in /usr/bin/trelvane /usr/bin/trelvane-cli; do
  headers=$(readelf -lW "$program") dynamic=$(readelf -dW "$program") symbols=$(nm -D "$program")
  grep -q GNU_RELRO <<<"$headers" || { echo "$program: no read-only relocations"; exit 1; }
  grep -Eq 'BIND_NOW|FLAGS.* NOW' <<<"$dynamic" || { echo "$program: symbols not bound at start"; exit 1; }
  grep -q __stack_chk_fail <<<"$symbols" || { echo "$program: no stack protector"; exit 1; }
done

echo "== installed programs"
/usr/bin/trelvane-cli --version
/usr/bin/trelvane --version
TRELVANE_MACHINE=examples/demo/demo.json /usr/bin/trelvane-cli list

echo "== desktop files"
share=/usr/share
app=org.trelvane.Trelvane
for file in "$share/applications/$app.desktop" "$share/metainfo/$app.metainfo.xml" \
            "$share/polkit-1/actions/$app.policy" "$share/icons/hicolor/scalable/apps/$app.svg" \
            "$share/icons/hicolor/16x16/apps/$app.png" "$share/icons/hicolor/256x256/apps/$app.png" \
            "$share/man/man1/trelvane.1.gz" "$share/man/man8/trelvane-cli.8.gz" \
            "$share/man/ru/man1/trelvane.1.gz" "$share/man/ru/man8/trelvane-cli.8.gz" \
            "$share/doc/trelvane/copyright" "$share/doc/trelvane/changelog.Debian.gz" \
            "$share/bash-completion/completions/trelvane-cli"; do
  [ -f "$file" ] || { echo "missing: $file"; exit 1; }
  echo "present: $file"
done
desktop-file-validate "$share/applications/$app.desktop"
appstreamcli validate --no-net "$share/metainfo/$app.metainfo.xml"
python3 -c 'import sys, xml.etree.ElementTree as t; t.parse(sys.argv[1])' "$share/polkit-1/actions/$app.policy"
grep -q '>/usr/bin/trelvane<' "$share/polkit-1/actions/$app.policy"

echo "== manual pages"
# English where any locale looks, Russian for ru_*; whatis reads the index mandb builds. Listings are
# read whole before grep, as above.
[ "$(LC_ALL=C man -w trelvane-cli)" = "$share/man/man8/trelvane-cli.8.gz" ] || { echo "C locale: no English page"; exit 1; }
[ "$(env -u LC_ALL -u LC_MESSAGES LANG=ru_RU.UTF-8 man -w trelvane-cli)" = "$share/man/ru/man8/trelvane-cli.8.gz" ] ||
  { echo "ru_RU: no Russian page"; exit 1; }
mandb -q
whatis=$(LC_ALL=C whatis trelvane-cli) apropos=$(LC_ALL=C apropos erase)
grep -q 'erase' <<<"$whatis" || { echo "whatis does not know trelvane-cli"; exit 1; }
grep -q '^trelvane ' <<<"$apropos" || { echo "apropos erase does not find trelvane"; exit 1; }

echo "== remove"
apt-get remove -y -qq trelvane >/dev/null
trap - EXIT
[ ! -e /usr/bin/trelvane-cli ] || { echo "trelvane-cli left behind"; exit 1; }
echo "package test passed"
