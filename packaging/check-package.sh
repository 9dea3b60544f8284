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
  usr/bin/briefing-station usr/bin/briefing-check \
  opt/briefing-station/briefing-bank usr/bin/briefing-bank usr/bin/briefing-kiosk-pin \
  opt/briefing-station/kiosk/briefing-kiosk-hold; do
  [ -f "$root/$path" ] && [ -x "$root/$path" ] || fail "missing or not executable: /$path"
done
# The browser engine's module lies beside the program, which loads it from there.
[ -f "$folder/libbriefing-station-engine.so" ] || fail "the browser engine's module is not beside the program"
icon=$root/usr/share/icons/hicolor/32x32/apps/briefing-station.png
[ "$(head -c 8 "$icon" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "icon is not a PNG"
unexpected=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v -E '^\./(opt|usr)?/?$|^\./opt/briefing-station/|^\./usr/(bin|share)/' || true)
[ -z "$unexpected" ] || fail "files outside /opt/briefing-station and /usr: $unexpected"

# The programs are packaged stripped: no symbol table, no debugging data.
for program in briefing-station briefing-check; do
  sections=$(readelf -S -W "$folder/$program" 2>/dev/null) || { fail "/opt/briefing-station/$program is no ELF program"; continue; }
  if echo "$sections" | grep -q -E '\.symtab|\.debug_'; then fail "/opt/briefing-station/$program is not stripped"; fi
done

# Desktop entry.
entry=$root/usr/share/applications/briefing-station.desktop
for line in "Type=Application" "Exec=briefing-station" "Path=/opt/briefing-station" "Icon=briefing-station"; do
  grep -qx "$line" "$entry" || fail "desktop entry lacks $line"
done

# The kiosk session: the entry display managers offer, whose command lies on
# their PATH (or is a full path), openbox's configuration and the notice.
session=$root/usr/share/xsessions/briefing-kiosk.desktop
[ -f "$session" ] || fail "missing /usr/share/xsessions/briefing-kiosk.desktop"
for key in Exec TryExec; do
  command=$(sed -n "s/^$key=//p" "$session" 2>/dev/null | awk '{ print $1 }')
  case $command in
    "") fail "the session entry has no $key" ;;
    /*) [ -x "$root$command" ] || fail "the session's $key does not resolve: $command" ;;
    *) [ -x "$root/usr/bin/$command" ] || fail "the session's $key does not resolve on /usr/bin: $command" ;;
  esac
done
[ -f "$folder/kiosk/openbox.xml" ] || fail "missing the kiosk's openbox configuration"
[ -x "$folder/kiosk/briefing-kiosk-notice" ] || fail "missing or not executable: the kiosk's notice"
# The PIN tool writes where it is told, and the hold view knows the PIN by that file.
pin=$scratch/pin
echo 4711 | BRIEFING_KIOSK_PIN_FILE=$pin "$root/usr/bin/briefing-kiosk-pin" >/dev/null || fail "briefing-kiosk-pin failed"
BRIEFING_KIOSK_PIN_FILE=$pin "$folder/kiosk/briefing-kiosk-hold" --check || fail "the hold view takes no PIN the tool set"

# Debian's documents: copyright, changelog, a manual page in Russian and in
# English for every command on the PATH.
for path in usr/share/doc/briefing-station/copyright usr/share/doc/briefing-station/changelog.gz \
  usr/share/lintian/overrides/briefing-station; do
  [ -f "$root/$path" ] || fail "missing /$path"
done
for command in $(ls "$root/usr/bin"); do
  zcat "$root/usr/share/man/man1/$command.1.gz" 2>/dev/null | grep -q '^\.SH NAME' \
    || fail "no English manual page for $command"
  zcat "$root/usr/share/man/ru/man1/$command.1.gz" 2>/dev/null | grep -q '^\.SH ИМЯ' \
    || fail "no Russian manual page for $command"
done
# lintian: every error and warning is mended or overridden with its reason.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1 \
  || fail "lintian: $(grep -E '^[EW]: ' "$scratch/lintian.log" || cat "$scratch/lintian.log")"

# Control data.
info=$(dpkg-deb -I "$deb")
echo "$info" | grep -q '^ Package: briefing-station$' || fail "package name"
depends=$(echo "$info" | sed -n 's/^ Depends: //p')
for package in libqt6webenginewidgets6 libqt6widgets6 libjpeg62-turbo libqt6webenginecore6-bin fonts-liberation \
  libgumbo1 libqpdf29; do
  echo "$depends" | grep -q -E "(^|, )$package( |,|$)" || fail "Depends lacks $package: $depends"
done
for package in openbox x11-xserver-utils; do
  echo "$depends" | grep -q -E "(^|, )$package( |,|$)" || fail "Depends lacks $package, which the kiosk session runs: $depends"
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

# The packaged bank tool: a question file becomes a bank the checker passes,
# and its print holds the answers. As root the launcher lets the engine run
# without its sandbox; nothing here sets that.
bank=$scratch/bank
mkdir -p "$bank"
cp -r "$folder/res" "$bank/"
for answer in А Б В А Б; do
  printf 'Вопрос с ответом %s?\nА) один\nБ) два\nВ) три\nОТВЕТ: %s\n\n' "$answer" "$answer"
done >"$scratch/questions.txt"
"$root/usr/bin/briefing-bank" import "$scratch/questions.txt" "$bank" >"$scratch/bank.log" 2>&1 \
  || fail "briefing-bank import: $(cat "$scratch/bank.log")"
"$root/usr/bin/briefing-check" "$bank" >"$scratch/check.log" || fail "briefing-check after import: $(cat "$scratch/check.log")"
(unset QTWEBENGINE_DISABLE_SANDBOX; "$root/usr/bin/briefing-bank" print "$bank" "$scratch/bank.pdf" >"$scratch/bank.log" 2>&1) \
  || fail "briefing-bank print: $(tail -n 5 "$scratch/bank.log")"
answers=$(pdftotext "$scratch/bank.pdf" - 2>/dev/null | grep -c '^Правильный ответ: [123]$' || true)
[ "$answers" = 5 ] || fail "the print holds $answers of 5 answers"

[ "$failures" -eq 0 ] || exit 1
echo "package ok: $(basename "$deb"), Depends: $depends"
