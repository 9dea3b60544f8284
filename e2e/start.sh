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

#      ppi  closed by  arguments (Qt's own options: the program reads none)
while read -r ppi how args; do
    step "--- $ppi ppi, closed by $how${args:+, started with $args}"
    set_ppi "$ppi"
    read -r -a STATION_ARGS <<<"$args"
    start_station
    read -r _ _ width height < <(rect Form2)

    expect "the entry window's client area is ${width}x$height" client_size_is "$ENTRY" Form2
    expect "the entry window cannot be resized" size_hints_fixed "$ENTRY" "$width" "$height"
    expect "the entry window is centred on the screen with its frame" frame_centred "$ENTRY"
    expect "the entry window's caption is its own, exactly" \
        test "$(text_property "$ENTRY" _NET_WM_NAME)" = "\"$TITLE_ENTRY\""
    expect "the task bar groups the windows under the application title" \
        test "$(text_property "$ENTRY" WM_CLASS)" = "\"briefing-station\", \"$APP_TITLE\""
    expect "the entry window is kept above others" has_state "$ENTRY" _NET_WM_STATE_ABOVE
    expect "the study window is not on screen" test -z "$(window_id "$TITLE_STUDY")"
    expect "the test window is not on screen" test -z "$(window_id "$TITLE_TEST")"

    require "the close request is made" close_by_wm "$ENTRY" "$how"
    expect "the program ends with code 0" ends_with 0
    expect "it told its starter that the entry window was closed" told closed
    expect "no other window ever appeared" test "$(clients_ever)" = "$ENTRY"
done <<'CASES'
96   alt-f4
120  button  -reverse -qwindowtitle Подмена -geometry 200x100+0+0 -style windows
144  alt-f4
CASES

finish
