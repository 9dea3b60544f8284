#!/usr/bin/env bash
# From the entry window to the study window and on to the test window, with
# the demo content: each window replaces the one before it, at its size, on
# top; the countdown runs; the hand-over asks "Перейти к тестированию?".
# Keeps a picture of each window for the documentation.
source "$(dirname "$0")/lib.sh"

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
expect "the study window's client area is 817x587" test "$(client_rect "$STUDY" | cut -d' ' -f3-)" = "817 587"
expect "the study window cannot be resized" size_hints_fixed "$STUDY" 817 587
expect "the study window is kept above others" has_state "$STUDY" _NET_WM_STATE_ABOVE
expect "the countdown runs" countdown_runs
expect "the study page is shown" wait_until "$E2E_TIMEOUT" drawn "$STUDY" "$STUDY_VIEW"
# The organisation's logo lies under the course logo and must not peek out
# between it and the progress bar.
region "$STUDY" "312 0 7 69" "$WORK/logo-strip.png"
expect "nothing of the hidden logo shows beside the logo" test "$(share_of "$WORK/logo-strip.png" FFFFFF)" = 100
keep_picture "$STUDY" study

step "--- the test window"
to_test
expect "the test window's client area is 817x587" test "$(client_rect "$TEST" | cut -d' ' -f3-)" = "817 587"
expect "the test window cannot be resized" size_hints_fixed "$TEST" 817 587
expect "the test window is kept above others" has_state "$TEST" _NET_WM_STATE_ABOVE
expect "a question page is shown" wait_until "$E2E_TIMEOUT" drawn "$TEST" "$TEST_VIEW"
expect "the test window is put on screen once, not taken down and made anew" made_once "$TEST"
wait_until 10 settled "$TEST"
keep_picture "$TEST" test

close_by_wm "$TEST" button
require "the box \"Прервать прохождение теста?\" is shown" expect_box abort
answer_box
expect "the program ends with code 0" ends_with 0
finish
