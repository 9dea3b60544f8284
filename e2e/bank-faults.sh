#!/usr/bin/env bash
# A question bank the program cannot use: no TESTS folder, four pages, no
# answer key, a blank key line for a page that is drawn. Each is reported with
# its own box, no verdict follows, the program stays alive and ends with code 0.
source "$(dirname "$0")/lib.sh"

start_x 96
references go notests abort

# A bank too small to draw from: the message, then the close question.
for fault in "no TESTS folder" "four pages"; do
    step "--- $fault"
    make_station
    study_page
    if [ "$fault" = "four pages" ]; then bank 4 2; else rmdir "$STATION/TESTS"; fi
    start_station
    to_study
    hand_over
    expect "\"Не могу найти тесты! ...\" is shown" expect_box notests
    answer_box
    require "then the close question is asked" expect_box abort
    answer_box "Нет"
    # The test window may have been made anew meanwhile: look it up again.
    expect "after \"Нет\" the test window stays open" eval 'TEST=$(stable_window "$TITLE_TEST")'
    expect "the study window is hidden" wait_unmapped "$STUDY"
    choose 2
    click "$TEST" "$TEST_ANSWER"
    expect "\"Ответить !\" tells again that there are no tests" expect_box notests
    answer_box
    expect "no verdict is shown" unmapped "$STUDY"
    expect "the program is alive" alive
    end_by_abort
done

step "--- no answer key"
make_station
study_page
question_pages 5
box_reference nokey error "$APP_TITLE" "Cannot open file $STATION_DIR/TESTS/ANS.a."
start_station
to_study
hand_over
expect "the error box names the missing key" expect_box nokey
answer_box
TEST=$(stable_window "$TITLE_TEST") || die "the test window does not stay on screen"
expect "the study window is hidden" wait_unmapped "$STUDY"
expect "the first question is shown" wait_new_stamp none
page=$(stamp)
choose 2
click "$TEST" "$TEST_ANSWER"
expect "\"Ответить !\" shows the error again" expect_box nokey
answer_box
expect "no verdict and no next question follow" test "$(stamp)" = "$page"
expect "no verdict is shown" unmapped "$STUDY"
end_by_abort

step "--- a blank key line for a drawn page"
make_station
study_page
question_pages 5        # all five pages are drawn in every run, page 2 among them
answer_key 2 "" 2 2 2
box_reference badline error "$APP_TITLE" "'' is not a valid integer value."
start_station
to_study
hand_over
expect "the error box names the bad line" expect_box badline
answer_box
TEST=$(stable_window "$TITLE_TEST") || die "the test window does not stay on screen"
expect "the first question is shown" wait_new_stamp none
choose 2
# The pages drawn before page 2 were converted and are graded; from the
# page 2 slot on, every answer shows the error instead of a verdict.
refused=0
for q in 1 2 3 4 5; do
    page=$(stamp)
    click "$TEST" "$TEST_ANSWER"
    if BOX=$(wait_window "$APP_TITLE" 3); then
        expect "an answer without a key value shows the error" expect_box badline
        answer_box
        refused=1
        break
    fi
    require "answer $q moves on" wait_new_stamp "$page"
done
expect "an unconverted question is never graded" test "$refused" = 1
page=$(stamp)
click "$TEST" "$TEST_ANSWER"
expect "it is refused again" expect_box badline
answer_box
expect "the question stays" test "$(stamp)" = "$page"
expect "no verdict is shown" unmapped "$STUDY"
end_by_abort
finish
