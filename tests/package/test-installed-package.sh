#!/usr/bin/env bash
# Lints the Debian package, unpacks it into a scratch root and runs what it installed from there:
# the programs (versions, vexactl's read-back as JSON, a screenshot of vexa in demo mode), the
# desktop entry, the icons, the AppStream metainfo, the manual pages, vexactl's bash completion,
# the adapter rule, the copyright file and changelog, and the package's dependencies.
# Usage: tests/package/test-installed-package.sh vexa_<version>_<arch>.deb
set -euo pipefail
deb=$(realpath "$1")
root=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$root" "$work"' EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@" >"$work/out" 2>&1; then
    echo "ok    $what"
  else
    echo "FAIL  $what"
    sed 's/^/      /' "$work/out"
    failures=$((failures + 1))
  fi
}

dpkg-deb -x "$deb" "$root"
bin=$root/usr/bin
version=$(dpkg-deb -f "$deb" Version)
upstream=${version%-*}  # without the package's revision
cd "$work"
export QT_QPA_PLATFORM=offscreen

check "lintian finds no errors in the package" \
  lintian --fail-on error "$deb"
check "vexa --version names the package version" \
  grep -qx "vexa $upstream" <("$bin/vexa" --version)
check "vexa --demo --screenshot renders the main window" \
  bash -c "'$bin/vexa' --demo --screenshot shot.png && test -s shot.png"
if [ -x "$bin/vexactl" ]; then
  check "vexactl --version names the package version" \
    grep -q "$upstream" <("$bin/vexactl" --version)
  check "vexactl --demo read --json prints the version and every parameter" \
    python3 -c '
import json, subprocess, sys
out = subprocess.run([sys.argv[1], "--demo", "read", "--json"], check=True,
                     capture_output=True, text=True).stdout
doc = json.loads(out)
assert doc["version"] and len(doc["parameters"]) >= 40, doc
' "$bin/vexactl"
else
  check "vexactl is installed" false
fi
check "vexa-sim is installed" test -x "$bin/vexa-sim"
check "the desktop entry is valid and starts vexa" \
  bash -c "desktop-file-validate '$root/usr/share/applications/vexa.desktop' &&
           grep -qx 'Exec=vexa' '$root/usr/share/applications/vexa.desktop'"
icons=$root/usr/share/icons/hicolor
check "the icon is installed as SVG and as PNGs of 16 to 256 pixels" \
  python3 -c '
import struct, sys
root = sys.argv[1]
assert open(root + "/scalable/apps/vexa.svg").read().lstrip().startswith("<?xml")
for size in (16, 22, 24, 32, 48, 64, 128, 256):
    head = open("%s/%dx%d/apps/vexa.png" % (root, size, size), "rb").read(24)
    assert head[:8] == b"\x89PNG\r\n\x1a\n", size
    assert struct.unpack(">II", head[16:24]) == (size, size), (size, head[16:24])
' "$icons"
metainfo=$root/usr/share/metainfo/io.github.vexa.Vexa.metainfo.xml
check "the AppStream metainfo is valid" appstreamcli validate --no-net "$metainfo"
check "every binary the metainfo names is installed" \
  bash -c "for b in \$(grep -o '<binary>[^<]*' '$metainfo' | cut -d'>' -f2); do
             test -x '$bin'/\$b || exit 1; done"
completion=$root/usr/share/bash-completion/completions/vexactl
check "the bash completion completes vexactl's commands" \
  bash -c "source /usr/share/bash-completion/bash_completion && source '$completion' &&
           COMP_WORDS=(vexactl re) COMP_CWORD=1 COMP_LINE='vexactl re' COMP_POINT=10 &&
           _vexactl vexactl re vexactl && [ \"\${COMPREPLY[*]}\" = 'read reference restore' ]"
for page in vexa vexactl vexa-sim; do
  check "man $page renders, with the controller's Chinese name" \
    bash -c "LC_ALL=C.UTF-8 man -l '$root/usr/share/man/man1/$page.1.gz' | grep -q '星鹞'"
done
doc=$root/usr/share/doc/vexa
check "the copyright file is machine-readable" \
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright"
check "the copyright file gives the licence, GPL-3.0-or-later, and where its text is" \
  bash -c "grep -qx 'License: GPL-3.0-or-later' '$doc/copyright' &&
           grep -q '/usr/share/common-licenses/GPL-3' '$doc/copyright'"
check "the metainfo names the same licence" \
  grep -q '<project_license>GPL-3.0-or-later</project_license>' \
    "$metainfo"
check "the changelog's latest entry is this version" \
  bash -c "zcat '$doc/changelog.Debian.gz' | head -n1 | grep -q '^vexa ($version) '"
check "the adapter rule keeps ModemManager away and gives the port to dialout" \
  bash -c "grep -q 'ID_MM_DEVICE_IGNORE}=\"1\"' '$root/usr/lib/udev/rules.d/60-vexa-serial-adapters.rules' &&
           grep -q 'GROUP=\"dialout\"' '$root/usr/lib/udev/rules.d/60-vexa-serial-adapters.rules'"
check "the dependencies name the Qt runtime the programs link" \
  bash -c "dpkg-deb -f '$deb' Depends | grep -q libqt6widgets6 &&
           dpkg-deb -f '$deb' Depends | grep -q libqt6serialport6"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "the installed package works"
