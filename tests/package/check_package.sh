#!/usr/bin/env bash
# Makes the Debian package from a built tree, unpacks it into a scratch root
# and checks what a user gets: the files and nothing else, dependencies found
# by dpkg-shlibdeps, the installed programs running without the build tree
# (the demo's picture as the build tree's program draws it), the firmware
# sources assembling to the installed demo cartridge, manual pages that
# render without warnings, valid desktop entries, MIME type and AppStream
# data, and lintian without errors.
#   check_package.sh BUILD_DIR
set -uo pipefail
build=$(realpath "$1")
export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL $*"; failed=1; }

version=$(sed -n 's/^#define ORVANE_VERSION "\(.*\)"$/\1/p' "$build/generated/orvane_version.h")
(cd "$build" && cpack -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(echo "$work"/cpack/*.deb)
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "orvane_${version}_$arch.deb" ] || fail "package file $(basename "$deb")"
echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KB"

# Control fields; the libraries come from dpkg-shlibdeps, not a hand list.
[ "$(dpkg-deb -f "$deb" Package)" = orvane ] || fail "Package field"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version field"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "Architecture field"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 liballegro4.4 libsdl2-2.0-0 libpng16-16 libwxgtk3.2-1; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

root=$work/root
dpkg -x "$deb" "$root"
# Exactly the four programs, and nothing outside Orvane's own places.
bins=$(cd "$root/usr/bin" && ls | tr '\n' ' ')
[ "$bins" = "orvane orvane-asm orvane-headless wxOrvane " ] || fail "usr/bin holds: $bins"
strays=$(cd "$root" && find . -type f | grep -vE '^\./usr/(bin/|share/(orvane|doc/orvane|man/man1|applications|icons/hicolor|metainfo|mime/packages)/)')
[ -z "$strays" ] || fail "files outside the expected places: $strays"
for f in usr/share/orvane/demo.rom usr/share/orvane/firmware/orvane.inc usr/share/orvane/examples/hello.asm \
         usr/share/doc/orvane/README.md usr/share/doc/orvane/copyright usr/share/doc/orvane/changelog.gz \
         usr/share/applications/orvane.desktop usr/share/applications/wxOrvane.desktop \
         usr/share/icons/hicolor/scalable/apps/orvane.svg usr/share/mime/packages/orvane.xml \
         usr/share/metainfo/example.orvane.orvane.metainfo.xml; do
  [ -s "$root/$f" ] || fail "missing $f"
done
for size in 48 128 256; do
  got=$(identify -format '%wx%h' "$root/usr/share/icons/hicolor/${size}x$size/apps/orvane.png" 2>&1)
  [ "$got" = "${size}x$size" ] || fail "icon ${size}x$size is $got"
done

# The installed programs: stripped, no path back to the build tree, every
# library found, and the version of the package.
for p in orvane wxOrvane orvane-headless orvane-asm; do
  bin=$root/usr/bin/$p
  file "$bin" | grep -q ', stripped' || fail "$p is not stripped"
  ! readelf -d "$bin" | grep -qE 'RPATH|RUNPATH' || fail "$p has a run path"
  ! ldd "$bin" | grep -q 'not found' || fail "$p misses a library"
  [ "$("$bin" --version)" = "$p $version" ] || fail "$p --version"
done

# The demo for a few seconds from an empty directory, with a bare
# environment: the installed headless runner draws what the build tree's does.
mkdir "$work/run-installed" "$work/run-build"
(cd "$work/run-installed" && env -i PATH=/usr/bin:/bin "$root/usr/bin/orvane-headless" --seconds 6 \
   --screenshot shot.png 2>run.log) || fail "installed orvane-headless failed: $(cat "$work/run-installed/run.log")"
(cd "$work/run-build" && "$build/tools/headless/orvane-headless" --seconds 6 --screenshot shot.png 2>run.log) ||
  fail "build tree's orvane-headless failed"
colours=$(identify -format '%k' "$work/run-installed/shot.png" 2>/dev/null || echo 0)
[ "$colours" -ge 3 ] 2>/dev/null || fail "the installed run's picture has $colours colours"
cmp -s "$work/run-installed/shot.png" "$work/run-build/shot.png" || fail "the installed run's picture differs"
[ -s "$work/run-installed/orvane_7041.bin" ] || fail "orvane_7041.bin not in the current directory"
echo "installed orvane-headless: the demo's picture after 6 s, $colours colours, as the build tree's"

# The installed sources assemble to the installed demo cartridge, and the
# example finds its include.
share=$root/usr/share/orvane
"$root/usr/bin/orvane-asm" --cartridge 8 --fill 0xFF -o "$work/demo.rom" "$share/firmware/demo.asm" &&
  cmp -s "$work/demo.rom" "$share/demo.rom" || fail "firmware/demo.asm does not give demo.rom"
"$root/usr/bin/orvane-asm" --cartridge 8 -o "$work/hello.rom" "$share/examples/hello.asm" ||
  fail "examples/hello.asm does not assemble"

# Manual pages: four, compressed, rendered without a warning, versioned.
pages=("$root"/usr/share/man/man1/*.1.gz)
[ ${#pages[@]} -eq 4 ] || fail "${#pages[@]} manual pages"
for page in "${pages[@]}"; do
  warnings=$(MANWIDTH=80 man --warnings -E ascii -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  MANWIDTH=80 man -E ascii -l "$page" 2>/dev/null | tail -1 | grep -q "Orvane $version" ||
    fail "$(basename "$page") does not show version $version"
done

# Desktop entries, the cartridge type and the AppStream data.
desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log"; fail "appstreamcli validate"; }
update-mime-database "$root/usr/share/mime" >/dev/null 2>&1 && grep -q '^40:application/x-orvane-cartridge:\*\.rom$' \
  "$root/usr/share/mime/globs2" || fail "the cartridge MIME type"

# lintian: errors fail; warnings and the rest are shown.
lintian --fail-on error --display-info "$deb" >"$work/lintian.log" 2>&1 || { fail "lintian"; }
grep -v '^running with root privileges' "$work/lintian.log" || true

[ $failed -eq 0 ] && echo "package checks passed"
exit $failed
