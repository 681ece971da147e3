#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the installed tree: the exact file
# list, the icons' sizes, the desktop entry, the MIME definition (compiled with
# update-mime-database), the man pages (groff warnings), the installed qrptool, and that
# xdg-mime names qrpview as the default application for report files.
#   check_install.sh BUILD_DIR WITH_QRPVIEW(0|1)
set -euo pipefail
build=$1
with_qrpview=$2
scratch=$(mktemp -d /tmp/qrp-install-test.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$scratch/usr" >"$scratch/install.log" 2>&1 \
  || { cat "$scratch/install.log"; fail "cmake --install failed"; }
root="$scratch/usr"

expected=(
  bin/qrptool
  lib/qrpview/qrptool_draw.so
  lib/qrpview/qrptool_print.so
  share/applications/qrpview.desktop
  share/icons/hicolor/256x256/apps/qrpview.png
  share/icons/hicolor/48x48/apps/qrpview.png
  share/icons/hicolor/scalable/apps/qrpview.svg
  share/man/man1/qrptool.1.gz
  share/man/man1/qrpview.1.gz
  share/mime/packages/qrpview.xml
  share/thumbnailers/qrpview.thumbnailer
)
[ "$with_qrpview" = 1 ] && expected+=(bin/qrpview)
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort) \
  || fail "installed files differ from the expected list (< expected, > installed)"

for f in "${expected[@]}"; do
  case $f in bin/*) [ -x "$root/$f" ] || fail "$f is not executable" ;; esac
done

# Icons: the PNGs have their nominal sizes, the SVG is an SVG.
for size in 48 256; do
  file "$root/share/icons/hicolor/${size}x${size}/apps/qrpview.png" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" \
    || fail "the ${size} px icon is not a ${size}x${size} RGBA PNG"
done
grep -q '<svg' "$root/share/icons/hicolor/scalable/apps/qrpview.svg" || fail "the scalable icon is no SVG"

# Desktop entry.
desktop="$root/share/applications/qrpview.desktop"
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
fi
grep -qx 'Name=Visualizador de Exames' "$desktop" || fail "desktop entry: wrong Name"
grep -qx 'MimeType=application/x-qrp-report;' "$desktop" || fail "desktop entry: no report MIME type"
grep -qx 'Icon=qrpview' "$desktop" || fail "desktop entry: wrong Icon"
grep -q '^Comment=' "$desktop" && grep -q '^Comment\[pt_BR\]=' "$desktop" || fail "desktop entry: comments missing"
grep -qx 'Exec=qrpview %f' "$desktop" || fail "desktop entry: wrong Exec"

# MIME definition: compiles without a word from update-mime-database, and gives the type
# its globs and magic.
mime="$root/share/mime"
out=$(XDG_DATA_HOME="$scratch/home" XDG_DATA_DIRS="$root/share" update-mime-database "$mime" 2>&1) || fail "update-mime-database: $out"
[ -z "$out" ] || fail "update-mime-database complained: $out"
[ -f "$mime/application/x-qrp-report.xml" ] || fail "no compiled application/x-qrp-report"
grep -q 'application/x-qrp-report:\*\.qrp' "$mime/globs2" || fail "no *.qrp glob"
grep -aq 'application/x-qrp-report' "$mime/magic" || fail "no magic rule"

# Man pages: no groff warnings, placeholders filled in.
for page in qrpview qrptool; do
  gz="$root/share/man/man1/$page.1.gz"
  text=$(zcat "$gz")
  ! grep -q '@[A-Z_]*@' <<<"$text" || fail "$page.1 keeps a placeholder"
  if command -v groff >/dev/null; then
    warnings=$(zcat "$gz" | groff -man -ww -z -Tutf8 2>&1) || fail "groff failed on $page.1"
    [ -z "$warnings" ] || fail "groff warnings on $page.1: $warnings"
  fi
done
if "$root/bin/qrptool" --help | grep -q '^  convert '; then
  zcat "$root/share/man/man1/qrptool.1.gz" | grep -q '^\.B convert$' || fail "qrptool.1 lacks the convert command"
fi

# The installed qrptool runs from its new place.
version=$("$root/bin/qrptool" --version) || fail "installed qrptool --version failed"
[[ "$version" =~ ^qrptool\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "unexpected version line: $version"
for command in render print; do
  "$root/bin/qrptool" help "$command" | grep -q "^Usage: qrptool $command" || fail "installed qrptool cannot load the module of $command"
done

# The desktop database makes qrpview the default application for reports.
if command -v xdg-mime >/dev/null && command -v update-desktop-database >/dev/null; then
  update-desktop-database "$root/share/applications"
  mkdir -p "$scratch/home" "$scratch/config"
  default=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
    HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_CONFIG_DIRS="$scratch/config" \
    XDG_DATA_HOME="$scratch/home" XDG_DATA_DIRS="$root/share" \
    xdg-mime query default application/x-qrp-report)
  [ "$default" = qrpview.desktop ] || fail "xdg-mime gives '$default' for application/x-qrp-report"
fi
# The thumbnailer entry: its type is the one gio and xdg-mime give a report file, and its
# command line, filled in as a file manager fills it, writes a PNG of the asked size.
thumbnailer="$root/share/thumbnailers/qrpview.thumbnailer"
grep -qx 'MimeType=application/x-qrp-report;' "$thumbnailer" || fail "thumbnailer: no report MIME type"
exec_line=$(sed -n 's/^Exec=//p' "$thumbnailer")
[[ "$exec_line" == qrptool\ thumbnail* && "$exec_line" == *%i* && "$exec_line" == *%o* && "$exec_line" == *%s* ]] \
  || fail "thumbnailer: unexpected Exec=$exec_line"
sample="$(dirname "$0")/../../samples/laudo.QRP"
cp "$sample" "$scratch/exame.QRP"
head -c 4096 "$sample" >"$scratch/prefix-only.bin"  # a name without the extension: by content
# Local files only: no GVfs daemon or session bus is looked for.
mime_env=(env XDG_DATA_HOME="$scratch/home" XDG_DATA_DIRS="$root/share" HOME="$scratch/home"
  GIO_USE_VFS=local GIO_USE_VOLUME_MONITOR=unix DBUS_SESSION_BUS_ADDRESS=disabled:)
if command -v gio >/dev/null; then
  type=$("${mime_env[@]}" gio info -a standard::content-type "$scratch/exame.QRP" | sed -n 's/^ *standard::content-type: //p')
  [ "$type" = application/x-qrp-report ] || fail "gio gives '$type' for a report file"
  type=$("${mime_env[@]}" gio info -a standard::content-type "$scratch/prefix-only.bin" | sed -n 's/^ *standard::content-type: //p')
  [ "$type" = application/x-qrp-report ] || fail "gio gives '$type' for a report without its extension"
fi
if command -v xdg-mime >/dev/null; then
  # As on a GNOME desktop, where xdg-mime asks gio (its generic mode asks file(1), which
  # knows no shared MIME database).
  type=$("${mime_env[@]}" XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$scratch/exame.QRP")
  [ "${type%%;*}" = application/x-qrp-report ] || fail "xdg-mime gives '$type' for a report file"
fi
for size in 128 256; do
  cmd=${exec_line//%s/$size}
  cmd=${cmd//%i/$scratch/exame.QRP}
  cmd=${cmd//%o/$scratch/thumb-$size.png}
  read -r -a argv <<<"$cmd"
  PATH="$root/bin:$PATH" "${argv[@]}" 2>"$scratch/thumb.err" || fail "thumbnailer command failed: $cmd: $(cat "$scratch/thumb.err")"
  file "$scratch/thumb-$size.png" | grep -Eq "PNG image data, [0-9]+ x $size," || fail "the $size px thumbnail: $(file "$scratch/thumb-$size.png")"
done

echo "installed tree OK"
