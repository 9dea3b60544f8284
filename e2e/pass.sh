#!/usr/bin/env bash
# Five right answers: each moves on to a new page with the count one down and
# the progress bar a fifth on; the fifth brings the study window over the test
# window with the green panel; closing it says "Тестирование завершено" and
# ends the program with code 0.
source "$(dirname "$0")/lib.sh"

start_x 96
references go finished
make_station
study_page
bank 5 2          # whatever is drawn, the right answer is 2
start_station
to_study
to_test

require "the first question is shown" wait_new_stamp none
expect "the progress bar is empty" progress_at 0
choose 2
for q in 1 2 3 4; do
    page=$(stamp)
    region "$TEST" "$TEST_BAND" "$WORK/band-before.png"
    click "$TEST" "$TEST_ANSWER"
    expect "after answer $q the next page is shown" wait_new_stamp "$page"
    expect "after answer $q the count has changed" wait_until 5 differs_from "$WORK/band-before.png" "$TEST" "$TEST_BAND"
    expect "after answer $q the progress bar stands at $((20 * q))%" progress_at $((20 * q))
done

click "$TEST" "$TEST_ANSWER"
expect "the fifth right answer shows the green panel" verdict "$GREEN"
expect "the study window lies over the test window" above "$STUDY" "$TEST"
expect "the test window stays open" mapped "$TEST"
keep_picture "$STUDY" passed

close_by_wm "$STUDY" button
require "the box \"Тестирование завершено\" is shown" expect_box finished
answer_box
expect "the program ends with code 0" ends_with 0
expect "it told its starter: started, passed" told started passed
finish
