#!/usr/bin/env bash
# The Debian package as a distribution takes it: the licence in the tree and in the package,
# the same package from two builds, byte for byte, lintian without a remark (where lintian is
# installed), the AppStream metainfo valid, and every file a desktop looks for.
# Usage: check_package.sh SOURCE_DIR BUILD_DIR HARDENED
#   HARDENED is 1 for a build with the release's compiler and linker flags; other builds
#   (sanitizers, debug) are not what a package is made of, and the check is skipped (77).
set -euo pipefail
source_dir=$1 build_dir=$2 hardened=$3
if [ "$hardened" != 1 ]; then
  echo "skipped: packages are made from release builds without sanitizers"
  exit 77
fi
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

grep -q "Copyright (c) .* The Tolvan developers" "$source_dir/LICENSE" ||
  fail "LICENSE holds no copyright line of the Tolvan developers"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Two packages of the same tree, made side by side in folders of their own; the second starts
# a second later, so that anything that records when it was made differs.
for run in first second; do
  cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$scratch/$run" >"$scratch/$run.log" 2>&1 &
  sleep 1.1
done
for run in first second; do
  wait -n || { cat "$scratch"/*.log >&2; fail "cpack failed"; exit 1; }
done
packages=("$scratch"/first/tolvan_*.deb)
package=${packages[0]}
[ -f "$package" ] || { fail "cpack made no package"; exit 1; }
cmp "$package" "$scratch/second/$(basename "$package")" ||
  fail "two packages of the same tree differ"

contents=$(dpkg-deb --contents "$package" | awk '{ print $NF }')
for path in usr/bin/tolvan usr/bin/tolvan-asm usr/share/doc/tolvan/copyright \
  usr/share/doc/tolvan/changelog.gz usr/share/lintian/overrides/tolvan \
  usr/share/applications/tolvan.desktop usr/share/metainfo/org.tolvan.tolvan.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/tolvan.svg usr/share/man/man1/tolvan.1.gz \
  usr/share/man/man1/tolvan-asm.1.gz; do
  grep -qx "./$path" <<<"$contents" || fail "the package lacks /$path"
done
for size in 16 24 32 48 64 128 256; do
  path=usr/share/icons/hicolor/${size}x${size}/apps/tolvan.png
  grep -qx "./$path" <<<"$contents" || fail "the package lacks /$path"
done

unpacked=$scratch/unpacked
dpkg-deb --extract "$package" "$unpacked"
# The copyright file carries the licence's own words, and the changelog the package's version.
grep -q "Permission is hereby granted, free of charge" "$unpacked/usr/share/doc/tolvan/copyright" ||
  fail "the copyright file does not carry the licence"
version=$(dpkg-deb --field "$package" Version)
zcat "$unpacked/usr/share/doc/tolvan/changelog.gz" | head -1 | grep -qF "tolvan ($version)" ||
  fail "the changelog's top entry is not version $version"

if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic --strict \
    "$unpacked/usr/share/metainfo/org.tolvan.tolvan.metainfo.xml" >"$scratch/appstream.log" 2>&1 ||
    { cat "$scratch/appstream.log" >&2; fail "the metainfo does not validate"; }
else
  echo "appstreamcli is not installed: the metainfo is not validated"
fi

# Every tag counts, the informational and pedantic ones too; the overrides that the package
# ships say why they are there.
if command -v lintian >/dev/null; then
  lintian --pedantic --display-info --display-experimental "$package" 2>/dev/null |
    grep -v '^N:' >"$scratch/lintian.log" || true
  if [ -s "$scratch/lintian.log" ]; then
    cat "$scratch/lintian.log" >&2
    fail "lintian has remarks"
  fi
else
  echo "lintian is not installed: the package is not checked against Debian's policy"
fi

if [ $failures -ne 0 ]; then
  echo "$failures failed checks of $(basename "$package")"
  exit 1
fi
echo "$(basename "$package"): reproducible, licensed, lintian and AppStream clean"
