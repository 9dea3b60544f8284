#!/usr/bin/env bash
# The kiosk's hold on a result. The PIN is set with briefing-kiosk-pin; a
# closed entry window is a person's choice and the next one comes at once,
# however often; a failed test, once its verdict is closed, stays on screen
# in maroon until the operator's PIN: a wrong one says so and holds, three
# lock input for 30 s, Alt+F4 changes nothing, the right one brings the entry
# window. A PIN file that is of no use lets the session run without the hold,
# with one line in its log; a broken-off test is held as such.
#   kiosk-hold.sh <briefing-station> <e2e-boxshow> <build folder>
source "$(dirname "$0")/lib.sh"
HOLD_TITLE="Инструктаж [Демо] - Обратитесь к оператору"
BROKEN_OFF=404040
screen_changed() { shot "$WORK/now.png"; ! same_image "$WORK/held.png" "$WORK/now.png"; }

kiosk_road "${3:?the build folder}" go wrong finished abort
PIN_TOOL=$ROOT/usr/bin/briefing-kiosk-pin
HOLD_PROGRAM=$STATION/kiosk/briefing-kiosk-hold
PIN_FILE=$WORK/etc/kiosk-pin
export BRIEFING_KIOSK_PIN_FILE=$PIN_FILE

step "--- PIN files of no use: one line, no hold"
mkdir -p "$WORK/etc/folder"
printf 'garbage\n' >"$WORK/etc/garbage"
echo 4711 | "$PIN_TOOL" >/dev/null || die "briefing-kiosk-pin failed"
head -c 30 "$PIN_FILE" >"$WORK/etc/cut"
for bad in "missing 3 не задан" "folder 4 не читается" "garbage 4 повреждён" "cut 4 повреждён"; do
    read -r name code words <<<"$bad"
    said=$(BRIEFING_KIOSK_PIN_FILE=$WORK/etc/$name "$HOLD_PROGRAM" --check 2>&1) && code_now=0 || code_now=$?
    expect "a PIN file $name: exit $code_now, one line \"$said\"" \
        test "$code_now" = "$code" -a "$(wc -l <<<"$said")" = 1 -a -z "${said##*"$words"*}"
done

step "--- setting the PIN"
expect "a PIN of two digits is refused" bash -c "! echo 47 | '$PIN_TOOL' 2>/dev/null"
expect "the file keeps the PIN set before" "$HOLD_PROGRAM" --check
expect "the file holds a salted hash only, readable by all" \
    bash -c "grep -qE '^\\\$(y|6)\\\$' '$PIN_FILE' && ! grep -q 4711 '$PIN_FILE' && [ \$(stat -c %a '$PIN_FILE') = 644 ]"
start_session BRIEFING_KIOSK_PIN_FILE="$PIN_FILE"
ENTRY=$(wait_window "$TITLE_ENTRY" 120) || die "no entry window in the kiosk session"

step "--- the entry window closed, three times in a row"
for n in 1 2 3; do
    ENTRY=$(stable_window "$TITLE_ENTRY") || die "the entry window does not stay"
    pid=$(window_pid "$ENTRY")
    close_by_wm "$ENTRY" button
    ENTRY=$(next_entry "$pid" 10) || die "no fresh entry window at once after close $n"
done
expect "neither the notice nor the hold came" test -z "$(window_id "$APP_TITLE")$(window_id "$HOLD_TITLE")"

step "--- a person fails the test"
to_study
to_test
require "the first question is shown" wait_until 60 new_stamp none
choose 1
click "$TEST" "$TEST_ANSWER"
require "a wrong answer gives the second chance" expect_box wrong
answer_box
page=$(stamp)
to_test
require "a new run shows its first page" wait_new_stamp "$page"
click "$TEST" "$TEST_ANSWER"
require "the second wrong answer shows the maroon panel" verdict "$MAROON"
first_pid=$(window_pid "$STUDY")
close_by_wm "$STUDY" button
require "closing it says \"Тестирование завершено\"" expect_box finished
answer_box
HOLD=$(wait_window "$HOLD_TITLE" 30) || die "no hold after the failed test"
expect "the station has ended" wait_until 10 group_gone "$first_pid"
expect "the hold covers the screen" test "$(client_rect "$HOLD")" = "0 0 $SCREEN_W $SCREEN_H"
expect "in maroon" pixel_is "$HOLD" 5 5 "$MAROON"
expect "with the input focus" wait_until 10 focused "$HOLD"
wait_until 5 settled "$HOLD"
keep_picture "$HOLD" kiosk-hold
shot "$WORK/held.png"

step "--- wrong PIN, Alt+F4"
xdotool type 1234
key Return
expect "a wrong PIN shows a line" wait_until 5 screen_changed
key alt+F4
sleep 1
expect "Alt+F4 leaves the hold on screen" mapped "$HOLD"
for n in 2 3; do xdotool type 1234; key Return; sleep 0.3; done
locked_at=$SECONDS
xdotool type 4711
key Return
sleep 2
expect "three wrong PINs lock input: the right one does nothing" mapped "$HOLD"
expect "no entry window meanwhile" test -z "$(window_id "$TITLE_ENTRY")"
sleep $((locked_at + 31 - SECONDS > 0 ? locked_at + 31 - SECONDS : 0))
xdotool type 4711
key Return
ENTRY=$(wait_window "$TITLE_ENTRY" 30) || die "the right PIN after the lock brings no entry window"
expect "the hold has gone" test -z "$(window_id "$HOLD_TITLE")"

step "--- a corrupt PIN file: a broken-off test is not held"
printf 'garbage\n' >"$PIN_FILE"
to_study
to_test
TEST_PID=$(window_pid "$TEST")
close_by_wm "$TEST" button
require "closing the test window asks" expect_box abort
answer_box "Да"
ENTRY=$(next_entry "$TEST_PID" 30) || die "no fresh entry window after a break-off without a usable PIN"
expect "no hold" test -z "$(window_id "$HOLD_TITLE")"
expect "the log says why, once" test "$(grep -c 'повреждён' "$SESSION_LOG")" = 1

step "--- the PIN set again: a broken-off test is held as such"
echo 4711 | "$PIN_TOOL" >/dev/null
to_study
TEST_PID=$(window_pid "$STUDY")
to_test
close_by_wm "$TEST" button
require "closing the test window asks" expect_box abort
answer_box "Да"
HOLD=$(wait_window "$HOLD_TITLE" 30) || die "no hold after a broken-off test"
expect "in the colour of a broken-off test" wait_until 5 pixel_is "$HOLD" 5 5 "$BROKEN_OFF"
wait_until 5 settled "$HOLD"
keep_picture "$HOLD" kiosk-hold-broken-off
xdotool type 4711
key Return
ENTRY=$(next_entry "$TEST_PID" 30) || die "the right PIN brings no entry window"

require "the session ends at logout" end_session
wait "$SESSION_PID" 2>/dev/null || true
SESSION_PID=""
expect "no station is left" test -z "$(station_pids)"
finish
