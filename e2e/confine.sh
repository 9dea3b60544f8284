#!/usr/bin/env bash
# Pages that try to lead the person away: a study page whose links all point
# outside the station's folder (the web, a file of the machine, the answer
# key, a folder) and that sends itself to a web address every second; a chain
# of pages inside the folder that never ends. The view stays on its page, no
# box and no window of its own comes up, nothing from outside is shown, and
# the countdown keeps running. A link inside the folder and back again
# (Alt+Left, Backspace, the mouse's back button) returns to the study page; on
# the test window none of those gestures brings the previous question back.
source "$(dirname "$0")/lib.sh"

MORE_COLOUR=A0E8FF  # a page inside the folder, reached by a link
CHAIN_COLOUR=E0A0FF # the endless chain
HINT_COLOUR=C0FFC0  # a question's own linked page

# page_point ID "VIEW" X Y: screen position of a page point, in page pixels
# from the view's corner.
page_point() {
    local l t px py
    read -r l t _ _ <<<"$2"
    read -r px py < <(on_screen_point "$1" "$l" "$t")
    echo $((px + $3)) $((py + $4))
}
# click_page ID "VIEW" X Y [BUTTON]: a click there, then the pointer off the windows.
click_page() {
    local px py
    read -r px py < <(page_point "$1" "$2" "$3" "$4")
    xdotool mousemove --sync "$px" "$py" click "${5:-1}" mousemove 0 0
}
# page_shot ID "VIEW" X Y W H FILE: a part of the page on screen.
page_shot() {
    local px py
    read -r px py < <(page_point "$1" "$2" "$3" "$4")
    import -window root -crop "$5x$6+$px+$py" +repage "$7"
}
study_shows() { [ "$(view_pixel "$STUDY" "$STUDY_VIEW" 20 20)" = "$1" ]; }
test_shows() { [ "$(view_pixel "$TEST" "$TEST_VIEW" 20 20)" = "$1" ]; }
# follow Y COLOUR: clicks the study page's link at height Y until the page of
# this colour is shown. The study page sends itself to the web every second,
# and a navigation that comes after a click cancels the click's, as in any
# browser (this one is then refused): a person clicks again.
follow() {
    local try
    for try in 1 2 3; do
        click_page "$STUDY" "$STUDY_VIEW" 400 "$1"
        wait_until 3 study_shows "$2" && return 0
    done
    return 1
}
# stays_on COLOUR: the study view still shows this page a while later.
stays_on() { sleep 1.5; study_shows "$1"; }
# back GESTURE ID "VIEW": Alt+Left, Backspace or the mouse's back button (X button 8).
back() {
    case $1 in
        alt-left) key alt+Left ;;
        backspace) key BackSpace ;;
        mouse) click_page "$2" "$3" 600 20 8 ;;
    esac
}

start_x 96
references go abort
make_station
bank 5 2

# block HREF TOP COLOUR: a link across the page, 50 pixels high.
block() { echo "<a href='$1' style='position:absolute;left:0;top:$2px;width:100%;height:50px;background:#$3'>$1</a>"; }
# page FILE COLOUR [BODY]: a page of one colour.
page() {
    printf '<!DOCTYPE html><html><head><meta charset="utf-8"><style>html,body{margin:0;height:100%%;background:#%s}</style></head><body>%s</body></html>\n' \
        "$2" "${3:-}" >"$STATION/$1"
}
page res/INSTR.htm "$STUDY_COLOUR" "$(block http://example.com/ 100 FF8080)$(block file:///etc/passwd 160 FF9090)
$(block ../TESTS/ANS.a 220 FFA0A0)$(block ../ 280 FFB0B0)$(block more.htm 340 8080FF)$(block chain1.htm 400 80FF80)
<script>setInterval(function () { location.href = 'https://example.com/'; }, 1000);</script>"
page res/more.htm "$MORE_COLOUR" "<input style='position:absolute;left:0;top:100px;width:300px' value=abc>"
for n in 1 2; do
    page "res/chain$n.htm" "$CHAIN_COLOUR" "<a id=n href=chain$((3 - n)).htm>next</a>
<script>setTimeout(function () { document.getElementById('n').click(); }, 200);</script>"
done
# Each question links to a page of its own and to the key, below its number.
for n in 1 2 3 4 5; do
    sed -i "s|</body>|$(block hint.htm 330 "$HINT_COLOUR")$(block ANS.a 390 FF8080)</body>|" "$STATION/TESTS/TEST$n.htm"
done
page TESTS/hint.htm "$HINT_COLOUR"

start_station
to_study
require "the study page is shown" wait_until 60 study_page_shown

step "--- links out of the folder"
for y in 125 185 245 305; do
    click_page "$STUDY" "$STUDY_VIEW" 400 "$y"
    expect "the link out at $y leaves the study page on screen" stays_on "$STUDY_COLOUR"
done
expect "after a while of redirects to the web it is still there" stays_on "$STUDY_COLOUR"
expect "the countdown runs" countdown_runs

step "--- a link inside the folder, and back"
for gesture in alt-left backspace mouse; do
    expect "a link inside the folder is followed" follow 365 "$MORE_COLOUR"
    back "$gesture" "$STUDY" "$STUDY_VIEW"
    expect "$gesture returns to the study page" wait_until 10 study_shows "$STUDY_COLOUR"
done
back alt-left
expect "nothing lies behind the study page" stays_on "$STUDY_COLOUR"

step "--- an endless chain of pages inside the folder"
expect "the chain is followed" follow 425 "$CHAIN_COLOUR"
expect "the countdown runs while the chain goes on" countdown_runs
expect "no box and no window of the pages' own appeared" only_our_windows

step "--- the test window"
to_test
require "the first question is shown" wait_new_stamp none
choose 2
first=$(stamp)
click "$TEST" "$TEST_ANSWER"
require "a right answer shows the next question" wait_new_stamp "$first"
second=$(stamp)
page_shot "$TEST" "$TEST_VIEW" 0 90 400 220 "$WORK/second-number.png"
unchanged() { sleep 1.5; [ "$(stamp)" = "$second" ]; }
click_page "$TEST" "$TEST_VIEW" 400 415
expect "a link to the key leaves the question on screen" unchanged
for gesture in alt-left backspace mouse; do
    back "$gesture" "$TEST" "$TEST_VIEW"
    expect "$gesture does not bring the previous question back" unchanged
done
click_page "$TEST" "$TEST_VIEW" 400 355
expect "the question's own page is followed" wait_until 10 test_shows "$HINT_COLOUR"
back mouse "$TEST" "$TEST_VIEW"
not_hint() { ! test_shows "$HINT_COLOUR"; }
expect "back returns from it" wait_until 10 not_hint
same_number() { page_shot "$TEST" "$TEST_VIEW" 0 90 400 220 "$WORK/number-now.png"; same_image "$WORK/second-number.png" "$WORK/number-now.png"; }
expect "to the same question" wait_until 10 same_number
expect "no box and no window of the pages' own appeared" only_our_windows
end_by_abort
finish
