#!/usr/bin/env bash
# One run, one bank: the person answers what each page shows (its right answer
# as a colour) and passes, whether the bank is replaced by hand or emptied
# mid-run; an import meanwhile waits for the verdict, saying so in one line,
# and a second import at once is refused.  Usage: runbank.sh STATION BOXSHOW BUILD
source "$(dirname "$0")/lib.sh"
BANK_TOOL=$(realpath "$3/station/briefing-bank")
COLOURS=(none FF0000 00FF00 0000FF) # the right answer 1, 2, 3 as the page shows it

# answer_bank ANSWER: five pages and a key, every right answer ANSWER.
answer_bank() {
    local n; mkdir -p "$STATION/TESTS"
    for n in 1 2 3 4 5; do
        printf '%s' "<html><head><meta charset=utf-8><title>$n</title><style>body{margin:0}#stamp{height:80px}
#a{height:300px;background:#${COLOURS[$1]}}</style></head><body><div id=stamp></div><div id=a></div>
<script>stamp.style.background='rgb('+[0,0,0].map(function(){return 40+Math.floor(Math.random()*176)})+')'</script>" \
            >"$STATION/TESTS/TEST$n.htm"
    done
    printf '%s\r\n' "$1" "$1" "$1" "$1" "$1" >"$STATION/TESTS/ANS.a"
}

# answer_as_shown: five answers, each the one its page shows, listed in SHOWN.
answer_as_shown() {
    local q page colour answer; SHOWN=""
    for q in 1 2 3 4 5; do
        page=$(stamp)
        colour=$(view_pixel "$TEST" "$TEST_VIEW" 20 200)
        for answer in 1 2 3 0; do [ "$colour" = "${COLOURS[$answer]}" ] && break; done
        SHOWN+=$answer
        choose "$answer"
        click "$TEST" "$TEST_ANSWER"
        ((q == 5)) || require "after answer $q the next page is shown" wait_new_stamp "$page"
    done
    expect "every page showed the bank of the run (answers $SHOWN)" [ "$SHOWN" = 11111 ]
    expect "the answers read off the pages pass" verdict "$GREEN"
}

to_first_question() { start_station; to_study; to_test; require "the first question is shown" wait_new_stamp none; }
end_station() { close_by_wm "$STUDY" button; require "the end box" expect_box finished; answer_box; expect "code 0" ends_with 0; }

start_x 96
references go finished
make_station
study_page

step "--- a bank replaced by hand in the middle of a run"
answer_bank 1
to_first_question
mv "$STATION/TESTS" "$STATION/TESTS-before"
answer_bank 3
answer_as_shown
end_station

step "--- an import during a run; the bank folder emptied in the middle of it"
rm -rf "$STATION/TESTS" "$STATION/TESTS-before"
answer_bank 1
for n in 1 2 3 4 5; do printf 'Вопрос %s?\nA. один\nB. два\nC. три\nANSWER: B\n\n' "$n"; done >"$WORK/q.txt"
to_first_question
"$BANK_TOOL" import --replace "$WORK/q.txt" "$STATION" >"$WORK/import.out" 2>"$WORK/import.err" & IMPORT_PID=$!
expect "the import says in one line that it waits" wait_until 10 bash -c "grep -q 'идёт тест' '$WORK/import.err' && [ \$(wc -l <'$WORK/import.err') = 1 ]"
expect "the import waits" running "$IMPORT_PID"
second=0; "$BANK_TOOL" import --replace "$WORK/q.txt" "$STATION" >/dev/null 2>"$WORK/second.err" || second=$?
expect "a second import at once fails with code 1, saying why" bash -c "[ $second = 1 ] && grep -q 'уже идёт другой импорт' '$WORK/second.err'"
expect "the bank is still the one of the run" grep -q '^1' "$STATION/TESTS/ANS.a"
rm -f "$STATION/TESTS/"*
answer_as_shown
import_ended() { ! running "$IMPORT_PID"; }
expect "the import ends once the verdict is in" wait_until 20 import_ended
expect "the import is done" bash -c "grep -q '^Готово' '$WORK/import.out' && grep -q '^2' '$STATION/TESTS/ANS.a'"
end_station
finish
