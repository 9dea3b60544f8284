#!/usr/bin/env bash
# A study page whose script never stops once the page is drawn: the first
# question is on screen at once, as after a plain study page; after a wrong
# answer the study window shows the study page again, and the wheel scrolls
# it; the countdown keeps time throughout.
source "$(dirname "$0")/lib.sh"

start_x 96
references go wrong abort
make_station
study_page '<div style="height:4000px"></div>
<script>onload = function() { setTimeout(function() { for (;;) {} }, 300) }</script>'
bank 5 2
start_station
to_study
require "the study page is shown" wait_until "$E2E_TIMEOUT" study_page_shown
sleep 1 # its script has the page for good now
expect "the countdown runs" countdown_runs

hand_over
# A question is on screen within moments, as with any study page (the
# renderers are the views' own); seconds would mean one page held back the other.
expect "the first question is shown at once" wait_until 3 new_stamp none

step "--- a wrong answer: the second study pass"
page=$(stamp)
choose 1
click "$TEST" "$TEST_ANSWER"
require "the box \"Неправильный ответ! ...\" is shown" expect_box wrong
answer_box
require "the study window is shown again" wait_mapped "$STUDY"
expect "the study page is shown, not the backdrop" wait_until 5 study_page_shown
region "$STUDY" "$STUDY_VIEW" "$WORK/study-before.png"
read -r px py < <(on_screen_point "$STUDY" $(middle "$STUDY_VIEW"))
xdotool mousemove --sync "$px" "$py" click 5 click 5 click 5 mousemove 0 0
expect "the wheel scrolls the study page" wait_until 5 differs_from "$WORK/study-before.png" "$STUDY" "$STUDY_VIEW"
expect "the countdown runs again" countdown_runs
keep_picture "$STUDY" busy-study-second-pass

to_test
expect "a new run shows its first page" wait_new_stamp "$page"
end_by_abort
finish
