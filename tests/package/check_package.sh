#!/usr/bin/env bash
# Builds the Debian package from a built tree, unpacks it into a scratch root and checks
# its files, its control fields and scripts, lintian, the desktop entries and the
# metainfo; then runs the unpacked command-line tool against the simulated mouse with the
# data folder an installed copy uses.
#   check_package.sh BUILD_DIR
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "check_package: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb="$(ls "$work"/out/*.deb)"
root="$work/root"
dpkg-deb -x "$deb" "$root"

# The files.
for path in \
  usr/bin/zel-gmouse usr/bin/zel-gmousectl \
  usr/share/zel-gmouse/skins/config/config.ini usr/share/zel-gmouse/skins/config/configReset.ini \
  usr/share/zel-gmouse/skins/1_INI_EN/LanguageText.ini \
  usr/share/zel-gmouse/skins/0_INI_CN/guide/index.html \
  usr/share/zel-gmouse/skins/1_INI_EN/guide/index.html \
  usr/share/zel-gmouse/skins/4_INI_DE/guide/index.html \
  usr/share/zel-gmouse/skins/1_INI_EN/guide/pictures/main.png \
  usr/lib/udev/rules.d/70-zel-gmouse.rules \
  usr/share/applications/com.zel.GMouse.desktop \
  usr/share/metainfo/com.zel.GMouse.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/com.zel.GMouse.svg \
  etc/xdg/autostart/zel-gmouse.desktop \
  usr/share/man/man1/zel-gmouse.1.gz usr/share/man/man1/zel-gmousectl.1.gz \
  usr/share/doc/zel-gmouse/copyright usr/share/doc/zel-gmouse/changelog.gz; do
  [ -e "$root/$path" ] || fail "missing /$path"
done
for size in 16 22 24 32 48 64 128 256; do
  [ -e "$root/usr/share/icons/hicolor/${size}x${size}/apps/com.zel.GMouse.png" ] ||
    fail "missing the ${size}x${size} icon"
done
# The data set is read-only; nothing lands outside the usual places.
mode="$(stat -c %a "$root/usr/share/zel-gmouse/skins/config/config.ini")"
[ "$mode" = 444 ] || fail "config.ini has mode $mode"
stray="$(cd "$root" && find . -type f | grep -Ev '^\./(usr/(bin|share|lib/udev)|etc/xdg)/' || true)"
[ -z "$stray" ] || fail "files in unusual places: $stray"

# The control fields and scripts.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = zel-gmouse ] || fail "Package: $(field Package)"
[ "$(field Version)" = 1.0.0 ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
depends="$(field Depends)"
for dep in libc6 libudev1 libqt6widgets6 libqt6dbus6 qt6-qpa-plugins; do
  grep -q "\b$dep\b" <<<"$depends" || fail "Depends lacks $dep: $depends"
done
dpkg-deb -e "$deb" "$work/control"
grep -q 'udevadm control --reload-rules' "$work/control/postinst" || fail "postinst does not reload udev"
grep -q 'udevadm trigger' "$work/control/postinst" || fail "postinst does not trigger udev"
grep -qx '/etc/xdg/autostart/zel-gmouse.desktop' "$work/control/conffiles" ||
  fail "the autostart entry is no conffile"

# The checkers. The data set is read-only on purpose (0444), which lintian notes for
# every file of it.
lintian --fail-on error --suppress-tags non-standard-file-perm "$deb" ||
  fail "lintian found errors"
desktop-file-validate "$root/usr/share/applications/com.zel.GMouse.desktop" \
  "$root/etc/xdg/autostart/zel-gmouse.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/com.zel.GMouse.metainfo.xml" ||
  fail "appstreamcli validate"
grep -q '<launchable type="desktop-id">com.zel.GMouse.desktop</launchable>' \
  "$root/usr/share/metainfo/com.zel.GMouse.metainfo.xml" || fail "metainfo names another desktop entry"
grep -qx 'Icon=com.zel.GMouse' "$root/usr/share/applications/com.zel.GMouse.desktop" ||
  fail "the desktop entry names another icon"

# The unpacked tool finds the installed data, seeds the user's folder and works.
export XDG_DATA_HOME="$work/home"
unset ZEL_GMOUSE_APPDIR
"$root/usr/bin/zel-gmousectl" --version | grep -qx 'zel-gmousectl 1.0.0' || fail "--version"
"$root/usr/bin/zel-gmousectl" --simulate apply + status >"$work/session.txt" ||
  { cat "$work/session.txt"; fail "the unpacked tool failed"; }
grep -q '^profile: 0$' "$work/session.txt" || fail "unexpected session: $(cat "$work/session.txt")"
[ -w "$XDG_DATA_HOME/zel-gmouse/skins/config/config.ini" ] || fail "the user's folder was not seeded"
echo "check_package: $(basename "$deb") passed"
