#!/usr/bin/env bash
# The activation rule under a real window manager: a box closing over the test
# window never starts a new run by itself ("Нужно выбрать ответ!", the
# second-chance message), nor does the verdict; only the person bringing the
# test window to the front does, and then the verdict stays on the study window.
# The study window is dragged aside to look at the test window behind it.
source "$(dirname "$0")/lib.sh"

start_x 96 1600x1200
references go nochoice wrong abort
make_station
study_page
bank 5 2
start_station
to_study
to_test
require "the first question is shown" wait_new_stamp none
region "$TEST" "$TEST_BAND" "$WORK/band-start.png"

# no_new_run PAGE BAND: after a while the test window still shows that page
# (not even reloaded) with that count and progress.
no_new_run() {
    sleep 2   # a run started behind our back would have loaded its page by now
    [ "$(stamp)" = "$1" ] || { echo "the page has been loaded again" >&2; return 1; }
    same_as "$2" "$TEST" "$TEST_BAND" || { echo "the count or the progress bar has changed" >&2; return 1; }
}

step "--- \"Ответить !\" with no choice"
page=$(stamp)
click "$TEST" "$TEST_ANSWER"
require "the box \"Нужно выбрать ответ!\" is shown" expect_box nochoice
answer_box
expect "the test window has the focus again" wait_until 5 focused "$TEST"
expect "no new run has started" no_new_run "$page" "$WORK/band-start.png"

step "--- the second-chance message"
choose 2
click "$TEST" "$TEST_ANSWER"
require "a right answer moves on" wait_new_stamp "$page"
page=$(stamp)
region "$TEST" "$TEST_BAND" "$WORK/band-1.png"
choose 1
click "$TEST" "$TEST_ANSWER"
require "the box \"Неправильный ответ! ...\" is shown" expect_box wrong
answer_box
require "the study window is shown" wait_mapped "$STUDY"
sleep 2
expect "the study window stays in front" above "$STUDY" "$TEST"
expect "the study window has the focus" focused "$STUDY"
require "the study window is dragged aside" move_down "$STUDY" 300
expect "no new run has started behind it" no_new_run "$page" "$WORK/band-1.png"

step "--- the verdict"
to_test
require "a new run shows its first page" wait_new_stamp "$page"
right_answers 4
page=$(stamp)
region "$TEST" "$TEST_BAND" "$WORK/band-4.png"
click "$TEST" "$TEST_ANSWER"
require "the green panel is shown" verdict "$GREEN"
sleep 2
expect "the study window stays in front" above "$STUDY" "$TEST"
expect "no new run has started behind it" no_new_run "$page" "$WORK/band-4.png"

step "--- the person brings the test window to the front"
brought_to_front() {
    # The first request may come too soon after the program's own last show
    # to be taken for the person's; a person would simply click again.
    local try
    for try in 1 2 3; do
        xdotool windowactivate --sync "$TEST" 2>/dev/null || true
        wait_until 3 new_stamp "$page" && return 0
        sleep 1
    done
    return 1
}
expect "bringing the test window to the front starts a new run" brought_to_front
expect "the new run starts at count 5 with an empty progress bar" \
    wait_until 5 same_as "$WORK/band-start.png" "$TEST" "$TEST_BAND"
expect "the study window stays open" mapped "$STUDY"
# green_below_test: the part of the study window's panel that shows below the
# test window is green.
green_below_test() {
    local px py pw ph sy ty th top
    read -r px py pw ph < <(rect Form1.Panel1)
    read -r _ sy _ _ < <(client_rect "$STUDY")
    read -r _ ty _ th < <(frame_rect "$TEST")
    top=$((ty + th - sy))
    ((top > py)) || top=$py
    pixel_is "$STUDY" $((px + pw / 2)) $(((top + py + ph) / 2)) "$GREEN"
}
expect "the study window keeps its green panel" green_below_test

close_by_wm "$TEST" button
require "closing the test window asks \"Прервать прохождение теста?\"" expect_box abort
answer_box "Да"
expect "the program ends with code 0" ends_with 0
finish
