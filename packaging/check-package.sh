#!/usr/bin/env bash
# Checks a built Debian package before it can land: its metadata, lintian,
# the desktop entry and the AppStream file it carries, and the program
# itself, unpacked into a throw-away root and started there offscreen (first
# start moves the data into a fresh user folder, a second start finds it).
set -euo pipefail
deb="$(readlink -f "${1:?usage: check-package.sh PACKAGE.deb}")"
root="$(mktemp -d)"
trap 'chmod -R u+w "$root" 2>/dev/null; rm -rf "$root"' EXIT

fail() { echo "package check: $*" >&2; exit 1; }

echo "== metadata"
dpkg-deb -f "$deb" Package Version Architecture Depends
[ "$(dpkg-deb -f "$deb" Package)" = skyrendel ] || fail "wrong package name"
depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libsqlcipher qt6-qpa-plugins; do
  case "$depends" in *"$lib"*) ;; *) fail "Depends lacks $lib: $depends" ;; esac
done
case "$(basename "$deb")" in skyrendel_*_"$(dpkg-deb -f "$deb" Architecture)".deb) ;; *) fail "unexpected file name $(basename "$deb")" ;; esac

echo "== contents"
dpkg-deb -c "$deb" > "$root/contents"
for f in ./usr/bin/skyrendel ./usr/share/skyrendel/skyrendel.skr ./usr/share/skyrendel/skyrendeluserdata.skr \
         ./usr/share/skyrendel/skrcert.fdp ./usr/share/skyrendel/SOUND/correct.wav \
         ./usr/share/applications/org.skyrendel.Skyrendel.desktop \
         ./usr/share/metainfo/org.skyrendel.Skyrendel.metainfo.xml \
         ./usr/share/icons/hicolor/48x48/apps/org.skyrendel.Skyrendel.png \
         ./usr/share/man/man1/skyrendel.1.gz ./usr/share/doc/skyrendel/copyright ./usr/share/doc/skyrendel/changelog.gz; do
  grep -q " $f\$" "$root/contents" || fail "missing $f"
done
grep -q ' ./usr/share/skyrendel/DATA/.*\.skr$' "$root/contents" || fail "no picture databases"
if awk '{print $2}' "$root/contents" | grep -v '^root/root$' | grep -q .; then fail "files not owned by root"; fi

echo "== lintian"
# Errors fail the check; warnings are shown.
lintian --fail-on error "$deb"

echo "== unpacked into a throw-away root"
dpkg-deb -x "$deb" "$root/fs"
desktop-file-validate "$root/fs/usr/share/applications/org.skyrendel.Skyrendel.desktop"
appstreamcli validate --no-net "$root/fs/usr/share/metainfo/org.skyrendel.Skyrendel.metainfo.xml"
chmod -R a-w "$root/fs"
export HOME="$root/home" XDG_DATA_HOME="$root/home/data" XDG_CONFIG_HOME="$root/home/config"
export QT_QPA_PLATFORM=offscreen SKYRENDEL_MEASURE_STARTUP=1
mkdir -p "$HOME"
"$root/fs/usr/bin/skyrendel" --version | grep -q "Skyrendel $(dpkg-deb -f "$deb" Version)" || fail "--version"
for start in first second; do
  out="$(timeout 60 "$root/fs/usr/bin/skyrendel" 2>&1)" || fail "$start start failed: $out"
  case "$out" in *"main window shown"*) ;; *) fail "$start start showed no main window: $out" ;; esac
done
[ -f "$XDG_DATA_HOME/Skyrendel/skyrendel.skr" ] || fail "the data was not moved into the user folder"
echo "package check: $(basename "$deb") is fine"
