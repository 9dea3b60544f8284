#!/usr/bin/env bash
# Breaking off the test: closing the test window asks "Прервать прохождение
# теста?"; "Нет" leaves the same question and state on screen, "Да" ends the
# program with code 0 and no verdict. Both of openbox's close requests are used.
source "$(dirname "$0")/lib.sh"

start_x 96
references go abort
make_station
study_page
bank 5 2
start_station
to_study
to_test

require "the first question is shown" wait_new_stamp none
choose 2
page=$(stamp)
click "$TEST" "$TEST_ANSWER"
require "a right answer moves on to the next page" wait_new_stamp "$page"

page=$(stamp)
region "$TEST" "$TEST_BAND" "$WORK/band.png"
close_by_wm "$TEST" button
require "closing asks \"Прервать прохождение теста?\"" expect_box abort
answer_box "Нет"
expect "after \"Нет\" the test window stays open" mapped "$TEST"
sleep 2   # a run started behind our back would have loaded a page by now
expect "the same question is still shown" test "$(stamp)" = "$page"
expect "the count and the progress bar are unchanged" same_as "$WORK/band.png" "$TEST" "$TEST_BAND"
expect "the study window stays hidden" unmapped "$STUDY"

require "Alt+F4 is sent to the test window" close_by_wm "$TEST" alt-f4
require "closing again asks the same" expect_box abort
answer_box "Да"
expect "after \"Да\" the program ends with code 0" ends_with 0
expect "it told its starter: started, broken off" told started broken-off
finish
