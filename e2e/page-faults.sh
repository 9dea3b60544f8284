#!/usr/bin/env bash
# Study pages that misbehave: a script that never ends, a script that opens
# windows and boxes, a page of 20 MB. The countdown keeps running, no window
# of the page's own appears, the hand-over to the test still works, and the
# program ends with code 0.
source "$(dirname "$0")/lib.sh"

start_x 96
references go abort

for fault in endless popups huge; do
    step "--- $fault"
    make_station
    bank 5 2
    case $fault in
        endless) study_page '<script>for (;;) {}</script>' ;;
        popups)  study_page "<script>window.open('about:blank'); window.open('../TESTS/TEST1.htm', 'x', 'width=300');
                 alert('alert'); confirm('confirm'); prompt('prompt');</script>" ;;
        huge)    study_page
                 { sed '$d' "$STATION/res/INSTR.htm"
                   head -c 20000000 < <(yes '<p>Строка учебного материала, повторённая до двадцати мегабайт.</p>')
                   echo '</body></html>'; } >"$WORK/huge.htm"
                 mv "$WORK/huge.htm" "$STATION/res/INSTR.htm" ;;
    esac
    start_station
    to_study
    expect "the countdown runs" countdown_runs
    sleep 2
    expect "it is still running a little later" countdown_runs
    # A page whose script never ends is never drawn; the others are.
    [ "$fault" = endless ] || expect "the study page is shown" wait_until "$E2E_TIMEOUT" study_page_shown
    expect "no window of the page's own appeared" only_our_windows
    to_test
    expect "the test window shows its question" wait_new_stamp none
    expect "the program is alive" alive
    end_by_abort
done
finish
