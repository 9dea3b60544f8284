#!/usr/bin/env bash
# A station that ends at once, as with a missing library, in the kiosk
# session: it is started three times running, then the session waits with its
# notice on screen (closing the notice brings it back) and writes why to its
# log, once, with the station's own last words. The station is started again
# only once the pause is over, and comes up when it has been mended. When the
# notice itself cannot be shown the session still waits out the pause.
#   kiosk-backoff.sh <briefing-station> <e2e-boxshow> <build folder>
source "$(dirname "$0")/lib.sh"
PAUSE=30   # the session's pause after failed starts, as its notice says

kiosk_road "${3:?the build folder}" kiosk
cp "$STATION/briefing-station" "$WORK/program"
NOTICE_PROGRAM=$STATION/kiosk/briefing-kiosk-notice
cp "$NOTICE_PROGRAM" "$WORK/notice"

# broken_station: the program gives way to one that says why it cannot start
# and ends at once; each start leaves its time (seconds) in $WORK/starts.
broken_station() {
    rm -f "$WORK/starts"
    cat >"$STATION/briefing-station" <<SCRIPT
#!/bin/sh
date +%s.%N >>"$WORK/starts"
echo "briefing-station: error while loading shared libraries: libstand-in.so.6" >&2
exit 127
SCRIPT
    chmod +x "$STATION/briefing-station"
}
starts() { if [ -f "$WORK/starts" ]; then wc -l <"$WORK/starts"; else echo 0; fi; }
starts_at_least() { (($(starts) >= $1)); }
start_time() { sed -n "${1}p" "$WORK/starts"; }
# gap N M: whole seconds between start N and start M (M "now": until now).
gap() {
    local b
    if [ "$2" = now ]; then b=$(date +%s.%N); else b=$(start_time "$2"); fi
    awk -v a="$(start_time "$1")" -v b="$b" 'BEGIN { printf "%d\n", b - a }'
}
logged() { grep -cF -- "$1" "$SESSION_LOG" || true; }

step "--- a station that ends at once"
broken_station
start_session
require "the session shows its notice" expect_box kiosk
expect "after three failed starts" test "$(starts)" = 3
expect "which came one after another" test "$(gap 1 3)" -lt 5
answer_box
require "the notice closed early comes back" expect_box kiosk
expect "the log tells why, with the station's own words" test "$(logged "$KIOSK_NOTICE")" = 1
expect "the log holds the station's last line" test "$(logged "libstand-in.so.6")" = 1
sleep 10
expect "no start during the pause" test "$(starts)" = 3
step "the station is mended during the pause"
cp "$WORK/program" "$STATION/briefing-station"
ENTRY=$(wait_window "$TITLE_ENTRY" $((PAUSE + 60))) || die "the mended station did not come up after the pause"
expect "it came only after the pause" test "$(gap 3 now)" -ge $((PAUSE - 1))
expect "the notice has gone" test -z "$(window_id "$APP_TITLE")"
require "the session ends at logout" end_session
wait "$SESSION_PID" 2>/dev/null || true
SESSION_PID=""
expect "no station is left" test -z "$(station_pids)"

step "--- a station that ends at once, and no box can be shown"
broken_station
printf '#!/bin/sh\nexit 1\n' >"$NOTICE_PROGRAM"
start_session
require "three starts" wait_until 30 starts_at_least 3
sleep 15
expect "then none for a while, though the notice ended at once" test "$(starts)" = 3
expect "the log tells why" test "$(logged "$KIOSK_NOTICE")" = 1
require "a fourth start after the pause" wait_until $((PAUSE + 30)) starts_at_least 4
expect "no sooner than the pause after the third" test "$(gap 3 4)" -ge $((PAUSE - 1))
expect "the log does not repeat itself while the station keeps failing" test "$(logged "$KIOSK_NOTICE")" = 1
require "the session ends at logout" end_session
wait "$SESSION_PID" 2>/dev/null || true
SESSION_PID=""
cp "$WORK/notice" "$NOTICE_PROGRAM"
finish
