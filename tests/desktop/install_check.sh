#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a Linux desktop reads from it: the
# two programs, the desktop entry, the hicolor icons, the MIME package and the AppStream metainfo.
# Usage: install_check.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
id=jp.kw.zorvan
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

for program in zorvan zorvan-cli; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program missing"
done
version=$("$prefix/bin/zorvan-cli" --version) || fail "zorvan-cli --version"
[[ $version == "zorvan-cli "[0-9]* ]] || fail "zorvan-cli --version printed '$version'"

desktop=$prefix/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Name)" = Zorvan ] || fail "desktop Name"
[ -n "$(entry 'Name\[ja\]')" ] && [ -n "$(entry 'Comment\[ja\]')" ] || fail "desktop entry without Japanese name or comment"
[ -n "$(entry Comment)" ] || fail "desktop entry without English comment"
exec_program=$(entry Exec | cut -d' ' -f1)
[ -x "$prefix/bin/$exec_program" ] || fail "Exec names '$exec_program', not an installed program"
[ "$(entry Icon)" = "$id" ] || fail "Icon is not $id"

icons=$prefix/share/icons/hicolor
[ -f "$icons/scalable/apps/$id.svg" ] || fail "scalable icon missing"
xmllint --noout "$icons/scalable/apps/$id.svg" || fail "scalable icon is not well-formed"
for size in 16 22 24 32 48 64 128 256; do
  png=$icons/${size}x${size}/apps/$id.png
  file "$png" 2>/dev/null | grep -q "PNG image data, $size x $size," || fail "icon $png is not a ${size}x${size} PNG"
done

mime=$prefix/share/mime
xmllint --noout --relaxng "$here/shared-mime-info.rng" "$mime/packages/$id.xml" || fail "MIME package"
XDG_DATA_DIRS=$prefix/share update-mime-database "$mime" || fail "update-mime-database"
grep -qx 'text/x-ncd text/plain' "$mime/subclasses" || fail "text/x-ncd is no sub-class of text/plain"
grep -q ':text/x-ncd:\*\.ncd' "$mime/globs2" || fail "*.ncd does not give text/x-ncd"
grep -q '^MimeType=.*text/x-ncd;' "$desktop" || fail "the desktop entry does not open text/x-ncd"

metainfo=$prefix/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net --strict "$metainfo" || fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo launches another entry"

if [ "$failures" -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
