#!/usr/bin/env bash
# A question file as Moodle exports GIFT (categories, "// question:" comments,
# titles, [html] texts, feedback, escapes, a category straight after a
# question) goes through the bank tool: imported into a station, checked,
# printed with each question's source line, and asked by the real program:
# five right answers give the green verdict.
source "$(dirname "$0")/lib.sh"

TOOLS=$(dirname "$STATION_EXE")
command -v pdftotext >/dev/null || { echo "SKIP: pdftotext is not installed (see scripts/setup.sh)" >&2; exit 77; }

start_x 96
references go
make_station
study_page
rmdir "$STATION/TESTS"

# Every right answer is the second choice, so "2" passes whatever is drawn.
cat >"$WORK/moodle.txt" <<'EOF'
// question: 0  name: Switch category to $course$/top/Охрана труда
$CATEGORY: $course$/top/Охрана труда


// question: 101  name: Пожар
::Пожар::[html]<p>Куда звонить при <b>пожаре</b>?</p>{
	~<p>103</p>
	=<p>101</p>#<p>Верно.</p>
	~<p>104</p>
}

// question: 102  name: Аптечка
::Аптечка::[html]<p>Где лежит аптечка?</p>{~<p>У директора</p> =<p>На посту охраны\: у входа</p> ~<p>Её нет</p>}
$CATEGORY: $course$/top/Электробезопасность
// question: 103  name: Провод
::Провод::[html]<p>Вы увидели <i>оборванный</i> провод. Что делать?</p>{~<p>Поднять</p> =<p>Не подходить и сообщить</p> ~<p>Уйти</p>}

// question: 104  name: Щит
::Щит::[html]<p>Можно ли открывать электрощит самому?</p>{~<p>Да</p> =<p>Нет, только электрику с допуском</p> ~<p>Да, в перчатках</p>}

// question: 105  name: Знак
::Знак::[html]<p>Что значит знак с молнией?</p>{~<p>Можно курить</p> =<p>Опасность поражения током</p> ~<p>Выход</p>}
EOF

step "--- import, check, print"
"$TOOLS/briefing-bank" import "$WORK/moodle.txt" "$STATION" >"$WORK/import.out" 2>&1 || die "import failed: $(cat "$WORK/import.out")"
expect "the import writes five questions" grep -q "Готово: вопросов 5 из «$WORK/moodle.txt» (GIFT, UTF-8)" "$WORK/import.out"
expect "the import tells that answer 2 is always right, as the checker does" \
    grep -q "TESTS/ANS.a: к сведению: вопросов с верным ответом 2: 5 из 5 (100 %)" "$WORK/import.out"
"$TOOLS/briefing-check" "$STATION" >"$WORK/check.out" || die "the checker finds faults: $(cat "$WORK/check.out")"
expect "the checker says the same" grep -q "вопросов с верным ответом 2: 5 из 5" "$WORK/check.out"
"$TOOLS/briefing-bank" print "$STATION" "$WORK/bank.pdf" >"$WORK/print.out" 2>&1 || die "print failed: $(cat "$WORK/print.out")"
pdftotext "$WORK/bank.pdf" "$WORK/bank.txt"
expect "the PDF shows the HTML as text, the escaped colon as a colon" grep -q "На посту охраны: у входа" "$WORK/bank.txt"
expect "no markup shows in the PDF" bash -c "! grep -q '<p>' '$WORK/bank.txt'"
expect "each question names its source line" grep -q "Вопрос 3 из 5 · TESTS/TEST3.htm · из moodle.txt:16" "$WORK/bank.txt"
expect "each question has its answer" test "$(grep -c 'Правильный ответ: 2' "$WORK/bank.txt")" = 5

step "--- asked by the station"
start_station
to_study
to_test
require "the first question is shown" wait_until "$E2E_TIMEOUT" drawn "$TEST" "$TEST_VIEW"
keep_picture "$TEST" bank-moodle-question
choose 2
for q in 1 2 3 4; do
    click "$TEST" "$TEST_ANSWER"
    expect "after answer $q the progress bar stands at $((20 * q))%" wait_until 10 progress_at $((20 * q))
done
click "$TEST" "$TEST_ANSWER"
expect "five right answers show the green panel" verdict "$GREEN"
finish
