#!/usr/bin/env bash
# From the entry window to the study window and on to the test window, with
# the demo content: each window replaces the one before it, at its size, on
# top; the countdown runs; the hand-over asks "Перейти к тестированию?".
# Keeps a picture of each window for the documentation.
source "$(dirname "$0")/lib.sh"

# logo_covered: the organisation's logo lies under the course logo, which must
# cover it: the top band is plain white right of the course logo up to the
# progress bar, and below it down to the page area.
logo_covered() {
    local x y w h bar band
    read -r x y w h < <(rect Form1.Image2.picture)
    read -r bar _ _ _ < <(rect Form1.ProgressBar1)
    read -r _ band _ _ < <(rect Form1.Panel2)
    if ((x + w < bar)); then
        region "$STUDY" "$((x + w)) 0 $((bar - x - w)) $band" "$WORK/beside-logo.png"
        all_white "$WORK/beside-logo.png" || { echo "right of the logo: $(colours_of "$WORK/beside-logo.png")" >&2; return 1; }
    fi
    if ((y + h < band)); then
        region "$STUDY" "0 $((y + h)) $bar $((band - y - h))" "$WORK/below-logo.png"
        all_white "$WORK/below-logo.png" || { echo "below the logo: $(colours_of "$WORK/below-logo.png")" >&2; return 1; }
    fi
}
all_white() {
    local count colour
    read -r count colour < <(convert "$1" -format '%k %[hex:p{0,0}]' info:)
    [ "$count" = 1 ] && [ "${colour:0:6}" = FFFFFF ]
}
colours_of() { convert "$1" -format '%k colours, first %[hex:p{0,0}]' info:; }

start_x 96
references go abort
make_station
demo_content
start_station
wait_until 10 settled "$ENTRY"
keep_picture "$ENTRY" entry

step "--- the study window"
to_study
expect "the entry window is hidden" wait_unmapped "$ENTRY"
read -r _ _ width height < <(rect Form1)
expect "the study window's client area is ${width}x$height" client_size_is "$STUDY" Form1
expect "the study window cannot be resized" size_hints_fixed "$STUDY" "$width" "$height"
expect "the study window is centred on the screen with its frame" frame_centred "$STUDY"
expect "the study window is kept above others" has_state "$STUDY" _NET_WM_STATE_ABOVE
expect "the countdown runs" countdown_runs
expect "the study page is shown" wait_until "$E2E_TIMEOUT" drawn "$STUDY" "$STUDY_VIEW"
expect "nothing of the hidden logo shows beside the logo" logo_covered
keep_picture "$STUDY" study

step "--- the test window"
to_test
read -r _ _ width height < <(rect TestForm)
expect "the test window's client area is ${width}x$height" client_size_is "$TEST" TestForm
expect "the test window cannot be resized" size_hints_fixed "$TEST" "$width" "$height"
expect "the test window is centred on the screen with its frame" frame_centred "$TEST"
expect "the test window is kept above others" has_state "$TEST" _NET_WM_STATE_ABOVE
expect "a question page is shown" wait_until "$E2E_TIMEOUT" drawn "$TEST" "$TEST_VIEW"
expect "the test window is put on screen once, not taken down and made anew" made_once "$TEST"
wait_until 10 settled "$TEST"
keep_picture "$TEST" test

close_by_wm "$TEST" button
require "the box \"Прервать прохождение теста?\" is shown" expect_box abort
answer_box
expect "the program ends with code 0" ends_with 0

# The same at other densities, where the pictures fit their areas otherwise.
for ppi in 120 144; do
    step "--- the study window at $ppi ppi"
    set_ppi "$ppi"
    start_station
    to_study
    expect "at $ppi ppi the study window's client area is as the program makes it" client_size_is "$STUDY" Form1
    expect "at $ppi ppi the study window is centred on the screen with its frame" frame_centred "$STUDY"
    expect "at $ppi ppi nothing of the hidden logo shows beside the logo" wait_until 10 logo_covered
    # On to the end, answering the boxes (their references are those at 96 ppi).
    close_by_wm "$STUDY" button
    box=$(wait_window "$ATTENTION") && wait_until 10 focused "$box" || die "no box \"Перейти к тестированию?\""
    key Return
    TEST=$(wait_window "$TITLE_TEST") || die "the test window did not appear"
    close_by_wm "$TEST" button
    box=$(wait_window "$ATTENTION") && wait_until 10 focused "$box" || die "no box \"Прервать прохождение теста?\""
    key Return                                 # "Да", the default button
    expect "the program ends with code 0" ends_with 0
done
finish
