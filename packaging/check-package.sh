#!/bin/sh
# Builds the Debian package from a configured and built tree, unpacks it into
# a scratch root (no install needed) and checks what it holds.
#   check-package.sh BUILD_DIR
set -eu
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

(cd "$build" && cpack -G DEB -B "$scratch/out") >"$scratch/cpack.log" 2>&1 || {
  cat "$scratch/cpack.log" >&2
  exit 1
}
deb=$(ls "$scratch"/out/briefing-station_*.deb)
dpkg -x "$deb" "$scratch/root"
root=$scratch/root
folder=$root/opt/briefing-station

# Layout.
for path in opt/briefing-station/res/INSTR.htm opt/briefing-station/TESTS/ANS.a \
  opt/briefing-station/TESTS/TEST1.htm usr/share/applications/briefing-station.desktop; do
  [ -f "$root/$path" ] || fail "missing /$path"
done
for path in opt/briefing-station/briefing-station opt/briefing-station/briefing-check \
  usr/bin/briefing-station usr/bin/briefing-check; do
  [ -f "$root/$path" ] && [ -x "$root/$path" ] || fail "missing or not executable: /$path"
done
# The browser engine's module lies beside the program, which loads it from there.
[ -f "$folder/libbriefing-station-engine.so" ] || fail "the browser engine's module is not beside the program"
icon=$root/usr/share/icons/hicolor/32x32/apps/briefing-station.png
[ "$(head -c 8 "$icon" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "icon is not a PNG"
unexpected=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v -E '^\./(opt|usr)?/?$|^\./opt/briefing-station/|^\./usr/(bin|share)/' || true)
[ -z "$unexpected" ] || fail "files outside /opt/briefing-station and /usr: $unexpected"

# Desktop entry.
entry=$root/usr/share/applications/briefing-station.desktop
for line in "Type=Application" "Exec=briefing-station" "Path=/opt/briefing-station" "Icon=briefing-station"; do
  grep -qx "$line" "$entry" || fail "desktop entry lacks $line"
done

# Control data.
info=$(dpkg-deb -I "$deb")
echo "$info" | grep -q '^ Package: briefing-station$' || fail "package name"
depends=$(echo "$info" | sed -n 's/^ Depends: //p')
for package in libqt6webenginewidgets6 libqt6widgets6 libjpeg62-turbo libqt6webenginecore6-bin fonts-liberation; do
  echo "$depends" | grep -q -E "(^|, )$package( |,|$)" || fail "Depends lacks $package: $depends"
done
dpkg-deb -e "$deb" "$scratch/control"
grep -qx /opt/briefing-station/TESTS/ANS.a "$scratch/control/conffiles" || fail "the key is not a conffile"

# The station launcher starts the program in its own folder, from anywhere;
# a stand-in program reports where it runs.
cp "$folder/briefing-station" "$scratch/program"
printf '#!/bin/sh\necho "$(pwd) sandbox=${QTWEBENGINE_DISABLE_SANDBOX:-}"\n' >"$folder/briefing-station"
ran=$(cd / && "$root/usr/bin/briefing-station")
sandbox=
[ "$(id -u)" -ne 0 ] || sandbox=1
[ "$ran" = "$(cd "$folder" && pwd) sandbox=$sandbox" ] || fail "launcher ran: $ran"
cp "$scratch/program" "$folder/briefing-station"

# The packaged checker passes the packaged content, without an argument too.
(cd / && "$root/usr/bin/briefing-check" >"$scratch/check.log") || fail "briefing-check on the package: $(cat "$scratch/check.log")"
"$root/usr/bin/briefing-check" "$folder" >/dev/null || fail "briefing-check with the folder"

[ "$failures" -eq 0 ] || exit 1
echo "package ok: $(basename "$deb"), Depends: $depends"
