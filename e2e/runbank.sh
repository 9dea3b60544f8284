#!/usr/bin/env bash
# One run, one bank. Each page shows its right answer as a colour, and the
# person answers what the page shows. A bank replaced by hand in the middle of
# a run changes nothing in it: the five answers read off the pages pass.
# An import during a run waits for its end and says so in one line; a second
# import at the same time is refused; the bank folder emptied in the middle of
# the run leaves the run whole; once the verdict is in, the import is done.
# Usage: runbank.sh <briefing-station> <e2e-boxshow> <briefing-bank>
source "$(dirname "$0")/lib.sh"
BANK_TOOL=$(realpath "$3")

# answer_bank FOLDER ANSWER: five pages whose block below the stamp band is
# red, green or blue for the right answer 1, 2 or 3, and their key.
ANSWER_COLOURS=(none FF0000 00FF00 0000FF)
answer_bank() {
    local n
    mkdir -p "$1"
    for n in 1 2 3 4 5; do
        cat >"$1/TEST$n.htm" <<PAGE
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Вопрос $n</title>
<style>html,body{margin:0;background:#fff}#stamp{height:80px}#answer{height:300px;background:#${ANSWER_COLOURS[$2]}}</style></head>
<body><div id="stamp"></div><div id="answer"></div>
<script>var c=[0,0,0].map(function(){return 40+Math.floor(Math.random()*176)});
document.getElementById('stamp').style.background='rgb('+c.join(',')+')';</script></body></html>
PAGE
    done
    printf '%s\r\n' "$2" "$2" "$2" "$2" "$2" >"$1/ANS.a"
}

# shown_answer: the answer the page on screen says is right (0: none).
shown_answer() {
    local colour k
    colour=$(view_pixel "$TEST" "$TEST_VIEW" 20 200)
    for k in 1 2 3; do [ "$colour" = "${ANSWER_COLOURS[$k]}" ] && { echo "$k"; return; }; done
    echo 0
}

# answer_as_shown: five answers, each the one its page shows; the answers go to SHOWN.
answer_as_shown() {
    local q page answer
    SHOWN=""
    for q in 1 2 3 4 5; do
        page=$(stamp)
        answer=$(shown_answer)
        SHOWN+=$answer
        choose "$answer"
        click "$TEST" "$TEST_ANSWER"
        ((q == 5)) || require "after answer $q the next page is shown" wait_new_stamp "$page"
    done
}

start_x 96
references go finished
make_station
study_page

step "--- a bank replaced by hand in the middle of a run"
answer_bank "$STATION/TESTS" 1
start_station
to_study
to_test
require "the first question is shown" wait_new_stamp none
mv "$STATION/TESTS" "$STATION/TESTS-before"
answer_bank "$STATION/TESTS" 3
answer_as_shown
expect "every page showed the bank of the run (answers $SHOWN)" [ "$SHOWN" = 11111 ]
expect "the answers read off the pages pass" verdict "$GREEN"
close_by_wm "$STUDY" button
require "the box \"Тестирование завершено\" is shown" expect_box finished
answer_box
expect "the program ends with code 0" ends_with 0

step "--- an import during a run"
rm -rf "$STATION/TESTS" "$STATION/TESTS-before"
answer_bank "$STATION/TESTS" 1
cp "$STATION/TESTS/ANS.a" "$WORK/key-before"
for n in 1 2 3 4 5; do
    printf 'Вопрос %s?\nA. один\nB. два\nC. три\nANSWER: B\n\n' "$n"
done >"$WORK/questions.txt"
start_station
to_study
to_test
require "the first question is shown" wait_new_stamp none
"$BANK_TOOL" import --replace "$WORK/questions.txt" "$STATION" >"$WORK/import.out" 2>"$WORK/import.err" &
IMPORT_PID=$!
expect "the import says that it waits for the end of the test" \
    wait_until 10 grep -q 'идёт тест' "$WORK/import.err"
expect "it says so in one line" [ "$(wc -l <"$WORK/import.err")" = 1 ]
expect "the import waits" running "$IMPORT_PID"
set +e
"$BANK_TOOL" import --replace "$WORK/questions.txt" "$STATION" >"$WORK/second.out" 2>"$WORK/second.err"
second=$?
set -e
expect "a second import at the same time fails with code 1" [ "$second" = 1 ]
expect "and says that another import is under way" grep -q 'уже идёт другой импорт' "$WORK/second.err"
expect "the bank is still the one of the run" cmp -s "$WORK/key-before" "$STATION/TESTS/ANS.a"

step "--- the bank folder emptied in the middle of the run"
rm -f "$STATION/TESTS/"*
answer_as_shown
expect "every page showed the bank of the run (answers $SHOWN)" [ "$SHOWN" = 11111 ]
expect "the answers read off the pages pass" verdict "$GREEN"
import_done() { ! running "$IMPORT_PID"; }
expect "the import ends once the verdict is in" wait_until 20 import_done
set +e
wait "$IMPORT_PID"
imported=$?
set -e
expect "the import succeeded" [ "$imported" = 0 ]
expect "the imported key is in place" grep -q '^2' "$STATION/TESTS/ANS.a"
expect "five imported pages are in place" [ -f "$STATION/TESTS/TEST5.htm" ]
close_by_wm "$STUDY" button
require "the box \"Тестирование завершено\" is shown" expect_box finished
answer_box
expect "the program ends with code 0" ends_with 0
finish
