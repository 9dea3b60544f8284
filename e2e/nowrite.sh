#!/usr/bin/env bash
# The program writes nothing: run under strace through start-up, the study
# window with its page, the test window with an answer, and the end; no file
# may be created, written, truncated, renamed, linked or removed outside /dev
# and /proc. HOME and TMPDIR point to empty folders that must stay empty; the
# HOME is once private (0700, as Debian 12 makes homes) with no runtime folder
# from the session, and once readable by all (0755, as older systems do) with
# the private runtime folder that every desktop session gives (it must stay
# empty too). Qt itself creates a runtime folder when neither exists.
# The study page stores data in every way a page can and starts two downloads.
source "$(dirname "$0")/lib.sh"

start_x 96
references go abort
make_station
head -c 100000 /dev/zero >"$STATION/res/data.bin"
study_page "<script>
var big = 'x'.repeat(100000);
localStorage.setItem('k', big);
var db = indexedDB.open('db');
db.onupgradeneeded = function () { db.result.createObjectStore('s').put(big, 1); };
caches.open('c').then(function (c) { return c.put('a.txt', new Response(big)); });
var a = document.createElement('a');
a.download = 'x.bin';
a.href = URL.createObjectURL(new Blob([big]));
a.click();
setTimeout(function () { var f = document.createElement('iframe'); f.src = 'data.bin'; document.body.appendChild(f); }, 500);
</script>"
bank 5 2

for mode in 700 755; do
    step "--- HOME with mode $mode"
    rm -rf "${WORK:?}/home" "$WORK/tmp" "$WORK/trace" "$WORK/run"
    mkdir -m "$mode" "$WORK/home"
    mkdir "$WORK/tmp" "$WORK/trace"
    mkdir -m 700 "$WORK/run"
    if [ "$mode" = 700 ]; then session=(-u XDG_RUNTIME_DIR); else session=(XDG_RUNTIME_DIR="$WORK/run"); fi
    start_station env -u XDG_CACHE_HOME -u XDG_CONFIG_HOME -u XDG_DATA_HOME "${session[@]}" \
        HOME="$WORK/home" TMPDIR="$WORK/tmp" \
        "${WRITE_TRACE[@]}" "$WORK/trace/t"
    to_study
    expect "the study page is shown" wait_until 60 study_page_shown
    E2E_TIMEOUT=60 to_test
    require "the first question is shown" wait_until 60 new_stamp none
    choose 2
    page=$(stamp)
    click "$TEST" "$TEST_ANSWER"
    expect "a right answer moves on" wait_until 60 new_stamp "$page"
    close_by_wm "$TEST" button
    require "closing asks \"Прервать прохождение теста?\"" expect_box abort
    answer_box "Да"
    expect "the program ends with code 0" ends_with 0

    # The standard streams go to the log this road keeps: not files of the program.
    offenders "$WORK/trace" "$WORK/station.log" >"$WORK/offenders.txt"
    expect "nothing was written outside /dev and /proc" test ! -s "$WORK/offenders.txt"
    if [ -s "$WORK/offenders.txt" ]; then
        echo "calls that wrote (count, call, file):" >&2
        head -n 40 "$WORK/offenders.txt" >&2
    fi
    expect "HOME is still empty" test -z "$(ls -A "$WORK/home")"
    expect "TMPDIR is still empty" test -z "$(ls -A "$WORK/tmp")"
    expect "the runtime folder is still empty" test -z "$(ls -A "$WORK/run")"
done
finish
