#!/usr/bin/env bash
# A question file as Moodle exports GIFT (categories, "// question:" comments,
# titles, [html] texts, escapes, a category straight after a closing brace)
# goes through the bank tool: imported into a station, checked, printed with
# each question's source line, and asked by the real program: five right
# answers give the green verdict.
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
	=<p>101</p>
	~<p>104</p>
}

// question: 102  name: Огнетушитель
::Огнетушитель::[html]<p>Что делать перед тем, как применить огнетушитель?</p>{
	~<p>Встряхнуть его над головой</p>#<p>Нет.</p>
	=<p>Выдернуть чеку</p>#<p>Верно.</p>
	~<p>Открыть окно</p>
}

// question: 103  name: Аптечка
::Аптечка::[html]<p>Где лежит аптечка?</p>{
	~<p>В кабинете директора</p>
	=<p>На посту охраны\: у входа</p>
	~<p>Её нет</p>
}
$CATEGORY: $course$/top/Электробезопасность

// question: 104  name: Провод
::Провод::[html]<p>Вы увидели <i>оборванный</i> провод. Что делать?</p>{
	~<p>Поднять его</p>
	=<p>Не подходить ближе 8 м и сообщить</p>
	~<p>Пройти мимо</p>
}

// question: 105  name: Щит
::Щит::[html]<p>Можно ли открывать электрощит самому?</p>{
	~<p>Да, если осторожно</p>
	=<p>Нет, только электрику с допуском</p>
	~<p>Да, в перчатках</p>
}

// question: 106  name: Знак
::Знак::[html]<p>Что значит знак «Осторожно! Электрическое напряжение»?</p>{
	~<p>Здесь можно курить</p>
	=<p>Опасность поражения током</p>
	~<p>Выход</p>
}
EOF

step "--- import"
"$TOOLS/briefing-bank" import "$WORK/moodle.txt" "$STATION" >"$WORK/import.out" 2>"$WORK/import.err" \
    || die "import failed: $(cat "$WORK/import.err")"
expect "the import writes six questions" grep -q "Готово: вопросов 6 из «$WORK/moodle.txt» (GIFT, UTF-8)" "$WORK/import.out"
expect "the import tells that answer 2 is always right, as the checker would" \
    grep -q "TESTS/ANS.a: к сведению: вопросов с верным ответом 2: 6 из 6 (100 %)" "$WORK/import.out"
expect "the pages carry their source lines" grep -q '<meta name="source" content="moodle.txt:28">' "$STATION/TESTS/TEST4.htm"

step "--- check"
"$TOOLS/briefing-check" "$STATION" >"$WORK/check.out" || die "the checker finds faults: $(cat "$WORK/check.out")"
expect "the checker says the same about the answers" grep -q "вопросов с верным ответом 2: 6 из 6" "$WORK/check.out"

step "--- print"
"$TOOLS/briefing-bank" print "$STATION" "$WORK/bank.pdf" >"$WORK/print.out" 2>"$WORK/print.err" \
    || die "print failed: $(cat "$WORK/print.err")"
pdftotext "$WORK/bank.pdf" "$WORK/bank.txt"
expect "the PDF shows the HTML question as text" grep -q "Куда звонить при пожаре?" "$WORK/bank.txt"
expect "the PDF shows an escaped colon" grep -q "На посту охраны: у входа" "$WORK/bank.txt"
expect "no markup shows in the PDF" bash -c "! grep -q '<p>' '$WORK/bank.txt'"
expect "each question names its source line" grep -q "Вопрос 6 из 6 · TESTS/TEST6.htm · из moodle.txt:42" "$WORK/bank.txt"
expect "each question has its answer" test "$(grep -c 'Правильный ответ: 2' "$WORK/bank.txt")" = 6

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
