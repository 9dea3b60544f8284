#!/usr/bin/env bash
# Start-up: only the entry window comes up, at the size the screen density
# asks for, centred with its frame, of fixed size and kept on top; closing it, by Alt+F4 or by
# the close button of its title bar, ends the program with code 0, and no
# other window ever appears.
source "$(dirname "$0")/lib.sh"

start_x 96
make_station
study_page
bank 5 2

#      ppi  closed by  client area
while read -r ppi how width height; do
    step "--- $ppi ppi, closed by $how"
    set_ppi "$ppi"
    start_station

    expect "the entry window's client area is ${width}x$height" \
        test "$(client_rect "$ENTRY" | cut -d' ' -f3-)" = "$width $height"
    expect "the entry window cannot be resized" size_hints_fixed "$ENTRY" "$width" "$height"
    read -r fx fy fw fh < <(frame_rect "$ENTRY")
    centred() { # the same room on either side of the frame, give or take the odd pixel
        local dx=$((2 * fx + fw - SCREEN_W)) dy=$((2 * fy + fh - SCREEN_H))
        ((${dx#-} <= 1 && ${dy#-} <= 1)) || { echo "frame at $fx,$fy ${fw}x$fh" >&2; return 1; }
    }
    expect "the entry window is centred on the screen with its frame" centred
    expect "the entry window is kept above others" has_state "$ENTRY" _NET_WM_STATE_ABOVE
    expect "the study window is not on screen" test -z "$(window_id "$TITLE_STUDY")"
    expect "the test window is not on screen" test -z "$(window_id "$TITLE_TEST")"

    require "the close request is made" close_by_wm "$ENTRY" "$how"
    expect "the program ends with code 0" ends_with 0
    expect "no other window ever appeared" test "$(clients_ever)" = "$ENTRY"
done <<'CASES'
96   alt-f4  275 310
120  button  338 381
144  alt-f4  423 476
CASES

finish
