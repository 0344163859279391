#!/usr/bin/env bash
# Makes the Debian package with CPack into a temporary folder and checks its control fields and
# contents (the package is not installed here).
# Usage: deb_check.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

(cd "$out" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >/dev/null)
debs=("$out"/zorvan_*.deb)
[ -f "${debs[0]}" ] || { echo "no zorvan_*.deb made"; exit 1; }
deb=${debs[0]}
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = zorvan ] || fail "Package"
version=$("$build/cli/zorvan-cli" --version)
[ "$(field Version)" = "${version#zorvan-cli }" ] || fail "Version $(field Version) is not the program's ${version#zorvan-cli }"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture"
[[ "$(field Depends)" == *libqt6widgets6* ]] || fail "Depends lacks the Qt libraries: $(field Depends)"
[[ "$(field Depends)" == *libqscintilla2-qt6* ]] || fail "Depends lacks QScintilla: $(field Depends)"
[[ "$(field Recommends)" == *qt6-translations-l10n* ]] || fail "Recommends lacks Qt's translations"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/zorvan ./usr/bin/zorvan-cli ./usr/share/applications/jp.kw.zorvan.desktop \
            ./usr/share/metainfo/jp.kw.zorvan.metainfo.xml ./usr/share/mime/packages/jp.kw.zorvan.xml \
            ./usr/share/icons/hicolor/scalable/apps/jp.kw.zorvan.svg \
            ./usr/share/icons/hicolor/48x48/apps/jp.kw.zorvan.png; do
  grep -qx -- "$path" <<<"$contents" || fail "$path not in the package"
done

if [ "$failures" -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
