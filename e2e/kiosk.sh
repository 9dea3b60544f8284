#!/usr/bin/env bash
# The kiosk session, installed from this build into a scratch root and started
# the way a display manager starts it. Clicks and keys on the bare desktop
# open nothing; a person goes through to the verdict, and once it is closed a
# fresh entry window waits for the next one; a closed entry window comes back.
# Logging out ends the station with the session. The whole session runs under
# strace: neither the station nor openbox nor the session itself writes a file
# over the cycle; the session's log gets one line, that no PIN holds results.
#   kiosk.sh <briefing-station> <e2e-boxshow> <build folder>
source "$(dirname "$0")/lib.sh"
E2E_TIMEOUT=60   # everything runs under strace

kiosk_road "${3:?the build folder}" go finished
mkdir "$WORK/trace"
# No PIN: the session holds no result and says how to turn the hold on.
start_session BRIEFING_KIOSK_PIN_FILE="$WORK/no-pin" "${WRITE_TRACE[@]}" "$WORK/trace/t"

ENTRY=$(wait_window "$TITLE_ENTRY" 120) || die "no entry window in the kiosk session"
expect "the entry window is managed by the session's window manager" \
    wait_until 10 bash -c "xprop -id $ENTRY _NET_FRAME_EXTENTS | grep -q ' = '"
expect "the screen saver is off" screen_saver_off
stable_window "$TITLE_ENTRY" >/dev/null || die "the entry window does not stay"

step "--- the bare desktop"
watch_clients
before=$(viewable_toplevels)
xdotool mousemove --sync 4 4
for button in 3 2 1 4 5; do
    xdotool click "$button"
    sleep 0.3
done
# Bindings of openbox's stock configuration: window menu, desktops, show desktop, window cycling, run.
for chord in alt+space ctrl+alt+Right ctrl+alt+Left super+d super+e alt+Tab super+F2; do
    key "$chord"
    sleep 0.3
done
sleep 1
expect "clicks and keys on the desktop open nothing" test "$(viewable_toplevels)" = "$before"
expect "no window came" test "$(clients_ever)" = "$ENTRY"
expect "the entry window is still on screen" mapped "$ENTRY"
expect "there is one desktop" bash -c "xprop -root _NET_NUMBER_OF_DESKTOPS | grep -q '= 1$'"
expect "it is the current one" bash -c "xprop -root _NET_CURRENT_DESKTOP | grep -q '= 0$'"

step "--- a person through to the verdict"
first_pid=$(window_pid "$ENTRY")
to_study
expect "the study page is shown" wait_until 60 study_page_shown
to_test
require "the first question is shown" wait_until 60 new_stamp none
right_answers 4
click "$TEST" "$TEST_ANSWER"
require "the fifth right answer shows the green panel" verdict "$GREEN"
close_by_wm "$STUDY" button
require "closing it says \"Тестирование завершено\"" expect_box finished
answer_box
ENTRY=$(next_entry "$first_pid" 120) || die "no fresh entry window for the next person"
expect "the study and test windows are gone" test -z "$(window_id "$TITLE_STUDY")$(window_id "$TITLE_TEST")"
expect "the first person's station has ended with all its processes" wait_until 10 group_gone "$first_pid"
expect "one station runs" test "$(station_pids | wc -l)" = 1

step "--- the entry window closed"
ENTRY=$(stable_window "$TITLE_ENTRY") || die "the entry window does not stay"
second_pid=$(window_pid "$ENTRY")
close_by_wm "$ENTRY" button
ENTRY=$(next_entry "$second_pid" 120) || die "the entry window did not come back"
expect "the station before it has ended with all its processes" wait_until 10 group_gone "$second_pid"
third_pid=$(window_pid "$ENTRY")

step "--- logging out"
require "the session ends at logout" end_session
expect "the station ends with it" wait_until 10 group_gone "$third_pid"
expect "no station is left" test -z "$(station_pids)"
wait "$SESSION_PID" 2>/dev/null || true
SESSION_PID=""

offenders "$WORK/trace" "$SESSION_LOG" >"$WORK/offenders.txt"
expect "nothing was written outside /dev and /proc" test ! -s "$WORK/offenders.txt"
if [ -s "$WORK/offenders.txt" ]; then
    echo "calls that wrote (count, call, file):" >&2
    head -n 40 "$WORK/offenders.txt" >&2
fi
expect "the session's log holds one line, on the PIN" \
    test "$(cat "$SESSION_LOG")" = "briefing-kiosk: $WORK/no-pin: PIN оператора не задан, результат не удерживается. Включить удержание: sudo briefing-kiosk-pin"
expect "HOME is still empty" test -z "$(ls -A "$WORK/home")"
expect "the runtime folder is still empty" test -z "$(ls -A "$WORK/run")"
finish
