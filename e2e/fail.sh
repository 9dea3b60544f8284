#!/usr/bin/env bash
# The second chance and the failed verdict: a wrong answer on the third
# question says "Неправильный ответ! ..." and brings back the study window
# with its countdown running over the test window; the hand-over starts a new
# run from the first question (count 5, empty progress bar); a wrong answer in
# that run shows the maroon panel, and closing it ends the program with code 0.
source "$(dirname "$0")/lib.sh"

start_x 96
references go wrong finished
make_station
study_page
bank 5 2          # whatever is drawn, 2 is right and 1 is wrong
start_station
to_study
to_test

require "the first question is shown" wait_new_stamp none
region "$TEST" "$TEST_BAND" "$WORK/band-start.png"
choose 2
for q in 1 2; do
    page=$(stamp)
    click "$TEST" "$TEST_ANSWER"
    require "after right answer $q the next page is shown" wait_new_stamp "$page"
done
expect "the progress bar stands at 40%" progress_at 40

step "--- a wrong answer: the second chance"
page=$(stamp)
choose 1
click "$TEST" "$TEST_ANSWER"
require "the box \"Неправильный ответ! ...\" is shown" expect_box wrong
answer_box
expect "the study window is shown again" wait_mapped "$STUDY"
expect "the study window lies over the test window" above "$STUDY" "$TEST"
expect "the test window stays open" mapped "$TEST"
expect "the study page is still shown" study_page_shown
expect "the countdown runs again" countdown_runs

to_test
expect "the test window has the focus" wait_until 5 focused "$TEST"
expect "a new run shows its first page" wait_new_stamp "$page"
expect "the new run starts at count 5 with an empty progress bar" \
    wait_until 5 same_as "$WORK/band-start.png" "$TEST" "$TEST_BAND"

step "--- a wrong answer after the second chance"
click "$TEST" "$TEST_ANSWER"          # "Ответ 1" is still chosen
expect "the wrong answer shows the maroon panel" verdict "$MAROON"
expect "the study window lies over the test window" above "$STUDY" "$TEST"
keep_picture "$STUDY" failed

close_by_wm "$STUDY" button
require "the box \"Тестирование завершено\" is shown" expect_box finished
answer_box
expect "the program ends with code 0" ends_with 0
expect "it told its starter: started, failed" told started failed
finish
