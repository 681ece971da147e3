#!/usr/bin/env bash
# Builds the Debian package with cpack into a scratch folder and checks it: its control
# fields (dependencies from dpkg-shlibdeps and the listed run-time ones), its file list,
# and the tree dpkg -x unpacks into a scratch root.
#   check_deb.sh BUILD_DIR WITH_QRPVIEW(0|1)
set -euo pipefail
build=$1
with_qrpview=$2
scratch=$(mktemp -d /tmp/qrp-deb-test.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

command -v dpkg-deb >/dev/null || { echo "dpkg-deb not available: skipped"; exit 0; }

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) \
  || { cat "$scratch/cpack.log"; fail "cpack -G DEB failed"; }
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
[[ $(basename "$deb") =~ ^qrpview_[0-9.]+_amd64\.deb$|^qrpview_[0-9.]+_[a-z0-9]+\.deb$ ]] \
  || fail "unexpected package file name $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = qrpview ] || fail "Package is '$(field Package)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
field Description | grep -q '"Relatórios de Exames"' || fail "Description lost its quoted text: $(field Description)"
depends=$(field Depends)
has_dependency() { tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//' | grep -Fqx "$1"; }
for need in libqt6core6 libqt6gui6 libstdc++6 libc6 qt6-qpa-plugins fonts-liberation; do
  has_dependency "$need" || fail "Depends lacks $need: $depends"
done
if [ "$with_qrpview" = 1 ]; then
  for need in libqt6widgets6 libqt6printsupport6; do
    has_dependency "$need" || fail "Depends lacks $need: $depends"
  done
fi

# File list: every path under /usr, the programs executable, man pages compressed.
listing=$(dpkg-deb -c "$deb")
paths=$(awk '{print $6}' <<<"$listing" | sed 's|^\./|/|' | grep -v '/$' | sort)
expected=(
  /usr/bin/qrptool
  /usr/lib/qrpview/qrptool_draw.so
  /usr/lib/qrpview/qrptool_print.so
  /usr/share/applications/qrpview.desktop
  /usr/share/icons/hicolor/256x256/apps/qrpview.png
  /usr/share/icons/hicolor/48x48/apps/qrpview.png
  /usr/share/icons/hicolor/scalable/apps/qrpview.svg
  /usr/share/man/man1/qrptool.1.gz
  /usr/share/man/man1/qrpview.1.gz
  /usr/share/mime/packages/qrpview.xml
  /usr/share/thumbnailers/qrpview.thumbnailer
)
[ "$with_qrpview" = 1 ] && expected+=(/usr/bin/qrpview)
diff <(printf '%s\n' "${expected[@]}" | sort) <(echo "$paths") \
  || fail "package file list differs (< expected, > packaged)"
grep -E ' \./usr/bin/qrptool$' <<<"$listing" | grep -q '^-rwxr-xr-x' || fail "qrptool is not mode 0755"

# Unpacked into a scratch root: the programs are stripped and run.
dpkg-deb -x "$deb" "$scratch/root"
file "$scratch/root/usr/bin/qrptool" | grep -q 'stripped' && ! file "$scratch/root/usr/bin/qrptool" | grep -q 'not stripped' \
  || fail "qrptool is not stripped"
"$scratch/root/usr/bin/qrptool" --version | grep -q '^qrptool ' || fail "unpacked qrptool does not run"
"$scratch/root/usr/bin/qrptool" help render | grep -q '^Usage: qrptool render' || fail "unpacked qrptool cannot load its modules"
cmp "$scratch/root/usr/share/applications/qrpview.desktop" "$(dirname "$0")/../qrpview.desktop" \
  || fail "packaged desktop entry differs from the source"
echo "Debian package OK: $(basename "$deb")"
