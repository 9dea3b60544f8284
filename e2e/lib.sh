# shellcheck shell=bash
# Shared helpers of the end-to-end roads, sourced by each road script.
#
# A road gets its own X server (Xvfb on a free display) with openbox, its own
# station folder with content whose answers it knows, and the real program.
# It looks at the windows through X (titles, map state, geometry, stacking,
# _NET_WM_STATE) and screen pixels, and acts through xdotool. Every wait has a
# timeout, and everything started here is stopped on exit, also on failure.
#
# Usage of a road:  road.sh <briefing-station> <e2e-boxshow>
#
# Where the controls lie comes from e2e-geometry beside e2e-boxshow (the
# program's own windows at the screen's density), looked up by name: see
# load_geometry.

set -euo pipefail
export LC_ALL=C.UTF-8

[ $# -ge 2 ] || { echo "usage: $0 <briefing-station> <e2e-boxshow>" >&2; exit 2; }
for tool in Xvfb openbox xdotool xwininfo xprop xdpyinfo import convert compare identify strace setsid; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (see scripts/setup.sh)" >&2; exit 77; }
done
STATION_EXE=$(realpath "$1")
BOXSHOW=$(realpath "$2")
GEOMETRY=$(dirname "$BOXSHOW")/e2e-geometry
E2E_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_TIMEOUT=${E2E_TIMEOUT:-30}                     # seconds for any one wait
E2E_SHOTS_DIR=${E2E_SHOTS_DIR:-$PWD/screenshots}   # where the window pictures go
ROAD=$(basename "$0" .sh)

APP_TITLE="Инструктаж [Демо-версия]"
TITLE_ENTRY="Инструктаж [Демо] - Вход"
TITLE_STUDY="Инструктаж [Демо] - Простосмотр слайдов"
TITLE_TEST="Инструктаж [Демо] - Пройти тест"
ATTENTION="ВНИМАНИЕ!"

STUDY_COLOUR=FFE8A0   # background of the study pages written here
GREEN=008000
MAROON=800000

WORK=$(mktemp -d "${TMPDIR:-/tmp}/e2e-$ROAD.XXXXXX")
FAILURES=0
STARTED=$SECONDS
XVFB_PID="" WM_PID="" SPY_PID="" STATION_PID="" BOX_PID=""

# ---------------------------------------------------------------- reporting

step() { printf '[%3ds] %s\n' $((SECONDS - STARTED)) "$*"; }
# The screen at a failure, kept with the work folder.
failure_shot() { [ -n "${DISPLAY:-}" ] && import -window root "$WORK/failure-$((FAILURES + 1)).png" 2>/dev/null || true; }
die() { printf 'FAIL: %s\n' "$*" >&2; failure_shot; exit 1; }

# expect DESCRIPTION COMMAND...: a check that lets the road go on when it fails.
expect() {
    local what=$1; shift
    if "$@"; then
        printf '  ok: %s\n' "$what"
    else
        printf 'FAIL: %s\n' "$what" >&2
        failure_shot
        FAILURES=$((FAILURES + 1))
    fi
}

# require DESCRIPTION COMMAND...: a check the rest of the road depends on.
require() {
    local what=$1; shift
    "$@" || die "$what"
    printf '  ok: %s\n' "$what"
}

finish() {
    if ((FAILURES)); then
        step "$ROAD: $FAILURES check(s) failed"
        exit 1
    fi
    step "$ROAD: all checks passed"
    exit 0
}

# wait_until TIMEOUT COMMAND...: polls until the command succeeds.
wait_until() {
    local limit=$1; shift
    local deadline=$((SECONDS + limit))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

# ---------------------------------------------------------------- clean-up

# running PID: the process exists and has not ended (an unreaped child is a zombie).
running() { local s; s=$(ps -o stat= -p "$1" 2>/dev/null) && [[ $s != Z* ]]; }

stop_pid() { # pid: TERM, then KILL if it does not go within five seconds
    local pid=$1 i
    [ -n "$pid" ] && running "$pid" || return 0
    kill "$pid" 2>/dev/null || true
    for i in $(seq 25); do running "$pid" || return 0; sleep 0.2; done
    kill -KILL "$pid" 2>/dev/null || true
}

cleanup() {
    local rc=$?
    set +e
    if [ -n "$STATION_PID" ] && running "$STATION_PID"; then
        # The program and its web engine helpers form one process group.
        kill -TERM -- "-$STATION_PID" 2>/dev/null
        stop_pid "$STATION_PID"
        kill -KILL -- "-$STATION_PID" 2>/dev/null
    fi
    drop_session
    stop_pid "$BOX_PID"
    stop_pid "$SPY_PID"
    stop_pid "$WM_PID"
    stop_pid "$XVFB_PID"
    if [ "$rc" -eq 0 ] && [ -z "${E2E_KEEP:-}" ]; then
        rm -rf "$WORK"
    else
        echo "kept for inspection: $WORK" >&2
        [ -f "$WORK/station.log" ] && { echo "--- program output (tail)" >&2; tail -n 20 "$WORK/station.log" >&2; }
    fi
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---------------------------------------------------------------- X server

# start_x [PPI] [WIDTHxHEIGHT]: a private X server with openbox; sets DISPLAY and PPI.
start_x() {
    PPI=${1:-96}
    local size=${2:-1280x1024} fd
    exec {fd}>"$WORK/display"
    Xvfb -displayfd "$fd" -screen 0 "${size}x24" -dpi "$PPI" -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    exec {fd}>&-
    wait_until 10 grep -q '^[0-9]' "$WORK/display" || die "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    DISPLAY=:$(head -n 1 "$WORK/display")
    export DISPLAY
    wait_until 10 xdpyinfo >/dev/null 2>&1 || die "X server $DISPLAY does not answer"
    set_ppi "$PPI"
    mkdir -p "$WORK/wm-home"
    HOME=$WORK/wm-home openbox --config-file "$E2E_HERE/openbox.xml" --sm-disable >"$WORK/openbox.log" 2>&1 &
    WM_PID=$!
    wait_until 10 wm_running || die "openbox did not start: $(cat "$WORK/openbox.log")"
    watch_clients
    xdotool mousemove 0 0
    read -r SCREEN_W SCREEN_H < <(xdpyinfo | awk '/dimensions:/ { split($2, s, "x"); print s[1], s[2] }')
    step "X server $DISPLAY at $PPI ppi, ${SCREEN_W}x$SCREEN_H, with openbox"
}

# set_ppi PPI: the density programs started from now on take (Qt reads Xft.dpi),
# and the places of the controls at that density.
set_ppi() {
    PPI=$1
    xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$PPI"$'\n'
    load_geometry
}

# watch_clients: from now on, every window the window manager manages is recorded.
watch_clients() {
    stop_pid "$SPY_PID"
    # A new file each time: a stale one could be taken for the new spy's first line.
    CLIENTS_LOG=$(mktemp "$WORK/clients.XXXXXX")
    xprop -root -spy _NET_CLIENT_LIST >"$CLIENTS_LOG" 2>/dev/null &
    SPY_PID=$!
    wait_until 5 test -s "$CLIENTS_LOG" || die "cannot watch the window manager's client list"
}

wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# Windows the window manager has managed since watch_clients, one id (decimal) a line.
clients_ever() {
    grep -o '0x[0-9a-f]*' "$CLIENTS_LOG" | sort -u | while read -r id; do echo $((id)); done
}

# ---------------------------------------------------------------- geometry

# load_geometry: where the program puts its controls at PPI, as e2e-geometry
# reads them from the program's own windows. Rectangles are "x y width height"
# in screen pixels within the window's client area, by name: the window
# (Form2 entry, Form1 study, TestForm test), or window.control, or
# window.control.picture for where a picture is drawn. Sets the areas the
# roads use by name.
load_geometry() {
    local name rest
    declare -gA GEOM=()
    SCALED=()
    "$GEOMETRY" "$PPI" >"$WORK/geometry" 2>"$WORK/geometry.log" || die "e2e-geometry failed: $(cat "$WORK/geometry.log")"
    while read -r name rest; do
        if [ "$name" = scaled ]; then read -r -a SCALED <<<"$rest"; else GEOM[$name]=$rest; fi
    done <"$WORK/geometry"
    ((${#SCALED[@]} > 1000)) || die "e2e-geometry gave no table of scaled sizes"
    ENTRY_START=$(rect Form2.Button1) || die "no start button"
    STUDY_START_TEST=$(rect Form1.Button2) || die "no \"Начать тестирование\""
    STUDY_COUNTDOWN=$(rect Form1.StaticText1) || die "no countdown"
    STUDY_VIEW=$(rect Form1.CppWebBrowser1) || die "no study view"
    STUDY_VERDICT_LINES=$(union Form1.Label1 Form1.Label2) || die "no verdict lines"
    TEST_ANSWER=$(rect TestForm.Button2) || die "no \"Ответить !\""
    TEST_BAND=$(rect TestForm.ProgressBar1) || die "no test progress bar"
    TEST_VIEW=$(rect TestForm.CppWebBrowser1) || die "no test view"
}

# rect NAME: the rectangle of a window, control or picture (see load_geometry).
rect() {
    [ -n "${GEOM[$1]:-}" ] || { echo "e2e-geometry knows no $1" >&2; return 1; }
    echo "${GEOM[$1]}"
}

# union NAME...: the smallest rectangle holding all of them.
union() {
    local name x y w h l=1000000 t=1000000 r=0 b=0
    for name in "$@"; do
        read -r x y w h < <(rect "$name") || return 1
        ((x < l)) && l=$x; ((y < t)) && t=$y
        ((x + w > r)) && r=$((x + w)); ((y + h > b)) && b=$((y + h))
    done
    echo "$l $t $((r - l)) $((b - t))"
}

# scaled DESIGN: a design size (120 ppi) on this screen, as the program scales it.
scaled() { echo "${SCALED[$1]}"; }

# middle "X Y W H": the rectangle's middle point.
middle() { local x y w h; read -r x y w h <<<"$1"; echo $((x + w / 2)) $((y + h / 2)); }

# ---------------------------------------------------------------- station folder

# make_station: a new folder with the program; the road adds the content.
make_station() {
    STATION=$WORK/station
    rm -rf "$STATION"
    mkdir -p "$STATION/res" "$STATION/TESTS"
    cp "$STATION_EXE" "$STATION/"
    # The browser engine's module lies beside the program (toolkit/EngineModule.h).
    cp "$(dirname "$STATION_EXE")"/libbriefing-station-engine.so "$STATION/" 2>/dev/null || true
    STATION_DIR=$(cd "$STATION" && pwd -P)
}

# study_page [BODY]: the study page, on its own background colour.
study_page() {
    cat >"$STATION/res/INSTR.htm" <<EOF
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Инструктаж</title>
<style>html,body{margin:0;height:100%;background:#$STUDY_COLOUR}
h1{font:bold 96px sans-serif;margin:0;padding:140px 0;text-align:center}</style></head>
<body><h1>ИНСТРУКТАЖ</h1>${1:-}</body></html>
EOF
}

# question_pages N: pages 1..N, each showing its number, with a band at the top
# whose colour is drawn anew at every load, so that any reload shows.
question_pages() {
    local n
    for n in $(seq "$1"); do
        cat >"$STATION/TESTS/TEST$n.htm" <<EOF
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Вопрос $n</title>
<style>html,body{margin:0;background:#fff}#stamp{height:80px}
p{font:bold 200px sans-serif;margin:0;text-align:center}</style></head>
<body><div id="stamp"></div><p>$n</p>
<script>var c=[0,0,0].map(function(){return 40+Math.floor(Math.random()*176)});
document.getElementById('stamp').style.background='rgb('+c.join(',')+')';</script></body></html>
EOF
    done
}

# answer_key LINE...: TESTS/ANS.a with these lines (CR LF, as Notepad writes).
answer_key() { printf '%s\r\n' "$@" >"$STATION/TESTS/ANS.a"; }

# bank N ANSWER: N pages, every one answered by ANSWER.
bank() {
    local lines
    mapfile -t lines < <(for _ in $(seq "$1"); do echo "$2"; done)
    question_pages "$1"
    answer_key "${lines[@]}"
}

# demo_content: the demo content built beside the program.
demo_content() {
    cp -r "$(dirname "$STATION_EXE")/res" "$(dirname "$STATION_EXE")/TESTS" "$STATION/" || die "no demo content beside $STATION_EXE"
}

# ---------------------------------------------------------------- the program

# start_station [WRAPPER...]: starts the program from its folder as the current
# directory, in a process group of its own, with the arguments in STATION_ARGS
# (none by default: the program reads none); waits for the entry window. The
# windows managed from here on are recorded (see clients_ever).
STATION_ARGS=()
start_station() {
    watch_clients
    rm -f "$WORK/boxes-seen"
    (cd "$STATION" && QTWEBENGINE_DISABLE_SANDBOX=1 exec setsid "$@" ./briefing-station "${STATION_ARGS[@]}") \
        >"$WORK/station.log" 2>&1 </dev/null &
    STATION_PID=$!
    # The subshell becomes the program once setsid has run: wait for that.
    wait_until 5 own_session "$STATION_PID" || die "the program is not in a session of its own"
    ENTRY=$(wait_window "$TITLE_ENTRY" 60) || die "the entry window did not appear"
    step "program started (pid $STATION_PID)"
}

# told WORD...: what the program told whoever started it on its output, in
# this order: one line "briefing-station: WORD" at each turn of a run.
told() {
    local said
    said=$(sed -n 's/^briefing-station: //p' "$WORK/station.log" | tr '\n' ' ')
    [ "$said" = "$* " ] || { echo "the program told: $said" >&2; return 1; }
}

own_session() { [ "$(ps -o sid= -p "$1" | tr -d ' ')" = "$1" ]; }
alive() { running "$STATION_PID"; }
ended() { ! alive; }

# ends_with CODE: waits for the program to end (not in a subshell: it reaps
# the program) and tells whether its exit code is CODE.
ends_with() {
    if ! wait_until "$E2E_TIMEOUT" ended; then
        echo "the program is still running" >&2
        return 1
    fi
    local rc=0
    wait "$STATION_PID" || rc=$?
    STATION_PID=""
    [ "$rc" = "$1" ] || { echo "the program's exit code is $rc" >&2; return 1; }
}

# ---------------------------------------------------------------- windows

regex_quote() { printf '%s' "$1" | sed 's/[][\\.^$*+?(){}|]/\\&/g'; }

# window_id TITLE: the visible window with exactly this title.
window_id() { xdotool search --onlyvisible --name "^$(regex_quote "$1")\$" 2>/dev/null | head -n 1; }

# wait_window TITLE [TIMEOUT]: prints the window's id once it is on screen.
wait_window() {
    local title=$1 limit=${2:-$E2E_TIMEOUT} id deadline
    deadline=$((SECONDS + limit))
    until id=$(window_id "$title") && [ -n "$id" ]; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
    echo "$id"
}

# stable_window TITLE: like wait_window, for a window that may be put on screen
# and then made anew: the id that has stayed on screen for a second.
stable_window() {
    local title=$1 id="" seen deadline=$((SECONDS + E2E_TIMEOUT)) since
    since=$(now_ms)
    while ((SECONDS < deadline)); do
        seen=$(window_id "$title")
        if [ -z "$seen" ] || [ "$seen" != "$id" ]; then
            id=$seen since=$(now_ms)
        elif (($(now_ms) - since >= 1000)); then
            echo "$id"
            return 0
        fi
        sleep 0.2
    done
    return 1
}
now_ms() { local t=${EPOCHREALTIME/[.,]/}; echo $((t / 1000)); }

mapped() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
unmapped() { ! mapped "$1"; }
wait_mapped() { wait_until "$E2E_TIMEOUT" mapped "$1"; }
wait_unmapped() { wait_until "$E2E_TIMEOUT" unmapped "$1"; }
has_state() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q "$2"; }
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# client_rect ID: "x y width height" of the client area on the screen.
client_rect() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /^  Width/ { w = $2 } /^  Height/ { h = $2 } END { print x, y, w, h }'
}

# frame_rect ID: "x y width height" of the window with its frame.
frame_rect() {
    local x y w h l r t b
    read -r x y w h < <(client_rect "$1")
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | tr -d ',' | awk '{ print $3, $4, $5, $6 }')
    echo $((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))
}

# frame_centred ID: the window with its frame has the same room on either side
# of the screen, give or take the odd pixel.
frame_centred() {
    local fx fy fw fh dx dy
    read -r fx fy fw fh < <(frame_rect "$1")
    dx=$((2 * fx + fw - SCREEN_W)) dy=$((2 * fy + fh - SCREEN_H))
    ((${dx#-} <= 1 && ${dy#-} <= 1)) || { echo "frame at $fx,$fy, ${fw}x$fh on ${SCREEN_W}x$SCREEN_H" >&2; return 1; }
}

# client_size_is ID NAME: the window's client area has the size e2e-geometry gives NAME.
client_size_is() {
    local want
    want=$(rect "$2" | cut -d' ' -f3-) || return 1
    [ "$(client_rect "$1" | cut -d' ' -f3-)" = "$want" ] || { echo "client area $(client_rect "$1"), not $want" >&2; return 1; }
}

# text_property ID PROPERTY: a text property of the window as UTF-8, without its name.
text_property() { xprop -id "$1" -notype -f "$2" 8u "$2" | sed 's/^[^=]*= //'; }

# size_hints_fixed ID WIDTH HEIGHT: the window manager is told the window has one size only.
size_hints_fixed() {
    local hints
    hints=$(xprop -id "$1" WM_NORMAL_HINTS)
    grep -q "minimum size: $2 by $3" <<<"$hints" && grep -q "maximum size: $2 by $3" <<<"$hints"
}

# above ID1 ID2: ID1 lies above ID2 in the window manager's stacking order.
above() {
    local order
    order=$(xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*' | while read -r w; do echo $((w)); done)
    local i1 i2
    i1=$(grep -n -x "$1" <<<"$order" | cut -d: -f1)
    i2=$(grep -n -x "$2" <<<"$order" | cut -d: -f1)
    [ -n "$i1" ] && [ -n "$i2" ] && [ "$i1" -gt "$i2" ]
}

# on_screen_point ID X Y: screen position of a point of the window's client area.
on_screen_point() {
    local x y w h
    read -r x y w h < <(client_rect "$1")
    echo $((x + $2)) $((y + $3))
}

# click ID "X Y WIDTH HEIGHT": clicks the middle of a control, then moves the
# pointer off the windows so that no hover or tooltip alters the pixels.
click() {
    local px py
    read -r px py < <(on_screen_point "$1" $(middle "$2"))
    xdotool mousemove --sync "$px" "$py" click 1 mousemove 0 0
}

# choose N: ticks "Ответ N" on the test window (on its round indicator).
choose() {
    local x y w h px py
    read -r x y w h < <(rect "TestForm.RadioButton$1")
    read -r px py < <(on_screen_point "$TEST" $((x + $(scaled 6))) $((y + h / 2)))
    xdotool mousemove --sync "$px" "$py" click 1 mousemove 0 0
}

key() { xdotool key --clearmodifiers "$@"; }

# move_down ID PIXELS: moves a window down, as a person drags it by its title
# bar (the window manager moves it; the program is not told).
move_down() {
    local x y w h cy
    read -r x y w h < <(frame_rect "$1")
    read -r _ cy _ _ < <(client_rect "$1")
    xdotool windowmove "$1" "$x" $((y + $2))
    wait_until 5 _lower_than "$1" "$cy"
}
_lower_than() { local y; read -r _ y _ _ < <(client_rect "$1"); ((y > $2)); }

# close_by_wm ID alt-f4|button: a close request through openbox, by its Alt+F4
# binding or by a click on the close button at the right end of the title bar.
close_by_wm() {
    local x y w h
    case $2 in
        alt-f4)
            # Alt+F4 closes the focused window; giving focus here would be an activation.
            wait_until 10 focused "$1" || return 1
            key alt+F4 ;;
        button)
            read -r x y w h < <(frame_rect "$1")
            xdotool mousemove --sync $((x + w - 11)) $((y + 10)) click 1 mousemove 0 0 ;;
    esac
}

# ---------------------------------------------------------------- pixels

# shot FILE: the whole screen.
shot() { import -window root "$1"; }

# region ID "X Y WIDTH HEIGHT" FILE: an area of a window's client area, from the screen.
region() {
    local x y w h px py
    read -r x y w h <<<"$2"
    read -r px py < <(on_screen_point "$1" "$x" "$y")
    import -window root -crop "${w}x$h+$px+$py" +repage "$3"
}

# pixel_at ID X Y: colour (RRGGBB) of a point of the window's client area.
pixel_at() {
    local px py
    read -r px py < <(on_screen_point "$1" "$2" "$3")
    import -window root -crop "1x1+$px+$py" +repage "$WORK/pixel.png"
    convert "$WORK/pixel.png" -format '%[hex:p{0,0}]' info: | cut -c1-6
}

pixel_is() { [ "$(pixel_at "$1" "$2" "$3")" = "$4" ]; }

# view_pixel ID "VIEW" DX DY: colour of a page point, in page pixels from the view's corner.
view_pixel() {
    local x y w h px py
    read -r x y w h <<<"$2"
    read -r px py < <(on_screen_point "$1" "$x" "$y")
    import -window root -crop "1x1+$((px + $3))+$((py + $4))" +repage "$WORK/pixel.png"
    convert "$WORK/pixel.png" -format '%[hex:p{0,0}]' info: | cut -c1-6
}

# The study page of study_page is on screen.
study_page_shown() { [ "$(view_pixel "$STUDY" "$STUDY_VIEW" 20 20)" = "$STUDY_COLOUR" ]; }

# The stamp band of the question page on the test window: new at every load.
stamp() { view_pixel "$TEST" "$TEST_VIEW" 20 20; }
new_stamp() { local s; s=$(stamp); [ "$s" != "$1" ] && [ "$s" != FFFFFF ] && [ "$s" != "$STUDY_COLOUR" ]; }
wait_new_stamp() { wait_until "$E2E_TIMEOUT" new_stamp "$1"; }

same_image() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }

# share_of FILE RRGGBB: per cent of the picture's pixels in (about) this colour.
share_of() {
    local w h other
    read -r w h < <(identify -format '%w %h' "$1")
    other=$(compare -metric AE -fuzz 20% "$1" -size "${w}x$h" "xc:#$2" null: 2>&1 || true)
    awk -v o="$other" -v n=$((w * h)) 'BEGIN { printf "%d\n", 100 * (n - o) / n + 0.5 }'
}

# differs_from FILE ID "AREA" / same_as FILE ID "AREA": the area now, against a picture taken before.
differs_from() { region "$2" "$3" "$WORK/area-now.png"; ! same_image "$1" "$WORK/area-now.png"; }
same_as() { region "$2" "$3" "$WORK/area-now.png"; same_image "$1" "$WORK/area-now.png"; }

# changes_within SECONDS ID "AREA": the area's pixels change within that time.
changes_within() {
    region "$2" "$3" "$WORK/change-0.png"
    wait_until "$1" differs_from "$WORK/change-0.png" "$2" "$3"
}

# colours ID "AREA": how many distinct colours the area shows.
colours() { region "$1" "$2" "$WORK/colours.png"; convert "$WORK/colours.png" -format '%k' info:; }
# drawn ID "AREA": the area shows a picture rather than an empty background.
drawn() { (($(colours "$1" "$2") > 50)); }

# settled ID: the window's pixels stay the same over half a second.
settled() {
    local x y w h
    read -r x y w h < <(frame_rect "$1")
    import -window root -crop "${w}x$h+$x+$y" +repage "$WORK/settle-0.png"
    sleep 0.5
    import -window root -crop "${w}x$h+$x+$y" +repage "$WORK/settle-1.png"
    same_image "$WORK/settle-0.png" "$WORK/settle-1.png"
}

# keep_picture ID NAME: the window with its frame, saved for the documentation.
keep_picture() {
    local x y w h
    read -r x y w h < <(frame_rect "$1")
    mkdir -p "$E2E_SHOTS_DIR"
    import -window root -crop "${w}x$h+$x+$y" +repage -strip -define png:exclude-chunks=date,time \
        "$E2E_SHOTS_DIR/$2.png"
    step "saved $E2E_SHOTS_DIR/$2.png"
}

# countdown_runs: the study window's countdown is on screen and changes twice.
countdown_runs() {
    wait_until 10 _countdown_shown || return 1
    changes_within 3 "$STUDY" "$STUDY_COUNTDOWN" && changes_within 3 "$STUDY" "$STUDY_COUNTDOWN"
}
_countdown_shown() { region "$STUDY" "$STUDY_COUNTDOWN" "$WORK/countdown.png"; (($(share_of "$WORK/countdown.png" FF0000) > 3)); }
countdown_hidden() { region "$STUDY" "$STUDY_COUNTDOWN" "$WORK/countdown.png"; (($(share_of "$WORK/countdown.png" FF0000) == 0)); }

# progress_at PERCENT: the test window's progress bar is filled that far, read
# along a row of the bar below the count captions: filled a little before the
# mark, as empty as its far end a little after it.
progress_at() {
    local row="$WORK/progress.png" w empty x y h cy ch
    read -r x y w h <<<"$TEST_BAND"
    read -r _ cy _ ch < <(union TestForm.StaticText1 TestForm.StaticText2)
    region "$TEST" "$x $(((cy + ch + y + h) / 2)) $w 1" "$row"
    w=$(identify -format '%w' "$row")
    _bar_pixel() { convert "$row" -format "%[hex:p{$(($1 * w / 100)),0}]" info:; }
    empty=$(_bar_pixel 96)
    [ "$(_bar_pixel $(($1 + 4)))" = "$empty" ] || return 1
    (($1 == 0)) || [ "$(_bar_pixel $(($1 - 4)))" != "$empty" ]
}

# verdict COLOUR: the study window shows the result panel in this colour below
# its top band, with white lines on it, and no countdown.
verdict() {
    wait_mapped "$STUDY" || return 1
    local panel
    panel=$(middle "$(rect Form1.Panel1)")
    # shellcheck disable=SC2086 # the middle is two numbers
    wait_until 10 pixel_is "$STUDY" $panel "$1" || { echo "panel colour $(pixel_at "$STUDY" $panel)" >&2; return 1; }
    region "$STUDY" "$STUDY_VERDICT_LINES" "$WORK/verdict-lines.png"
    (($(share_of "$WORK/verdict-lines.png" FFFFFF) > 5)) || { echo "no white lines on the panel" >&2; return 1; }
    countdown_hidden || { echo "the countdown is still shown" >&2; return 1; }
}

# ---------------------------------------------------------------- boxes

# The program's boxes by name: kind, title and text.
box_spec() {
    case $1 in
        go)       echo ok; echo "$ATTENTION"; echo "Перейти к тестированию?" ;;
        abort)    echo yesno; echo "$ATTENTION"; echo "Прервать прохождение теста?" ;;
        finished) echo message; echo "$APP_TITLE"; echo "Тестирование завершено" ;;
        wrong)    echo message; echo "$APP_TITLE"; echo "Неправильный ответ! Перейти к повторному тестированию." ;;
        nochoice) echo message; echo "$APP_TITLE"; echo "Нужно выбрать ответ!" ;;
        notests)  echo message; echo "$APP_TITLE"
                  echo "Не могу найти тесты! Проверьте наличие папки TESTS в таталоге программы" ;;
        kiosk)    echo message; echo "$APP_TITLE"; echo "$KIOSK_NOTICE" ;;
        *)        return 1 ;;
    esac
}

# references NAME...: the named boxes of box_spec, see box_reference.
references() {
    local name spec
    for name in "$@"; do
        mapfile -t spec < <(box_spec "$name")
        box_reference "$name" "${spec[@]}"
    done
}

# box_reference NAME KIND TITLE TEXT: puts up the box the program should show
# (see boxshow.cpp) and keeps its picture, its title and its button places.
# Run these before the program starts, so that no two boxes are on screen at once.
box_reference() {
    local name=$1 kind=$2 title=$3 text=$4 id
    printf '%s\n' "$title" >"$WORK/box-$name.title"
    "$BOXSHOW" "$kind" "$title" "$text" >"$WORK/box-$name.buttons" 2>"$WORK/box-$name.log" &
    BOX_PID=$!
    id=$(wait_window "$title") || die "reference box $name did not appear"
    wait_until 10 focused "$id" || die "reference box $name got no focus"
    wait_until 10 test -s "$WORK/box-$name.buttons" || die "reference box $name told no buttons"
    import -window "$id" "$WORK/box-$name.png"
    key Return
    wait "$BOX_PID" || die "reference box $name failed"
    BOX_PID=""
    wait_until 10 bash -c "! xwininfo -id $id 2>/dev/null | grep -q IsViewable"
    caption_reference "$title"
}

# caption_reference TITLE: how wide the caption shows in the title bar of a box
# far wider than it needs (see caption_width), kept in CAPTION_WIDTH.
declare -A CAPTION_WIDTH=()
caption_reference() {
    local id
    [ -z "${CAPTION_WIDTH[$1]:-}" ] || return 0
    "$BOXSHOW" wide "$1" "" >/dev/null 2>"$WORK/caption-reference.log" &
    BOX_PID=$!
    id=$(wait_window "$1") || die "the wide box \"$1\" did not appear"
    wait_until 10 focused "$id" || die "the wide box \"$1\" got no focus"
    CAPTION_WIDTH[$1]=$(caption_width "$id")
    key Return
    wait "$BOX_PID" || die "the wide box \"$1\" failed"
    BOX_PID=""
    wait_until 10 unmapped "$id"
}

# caption_width ID: how wide the window's caption shows in its title bar: the
# widest run of title bar columns unlike its background (the most common
# column); the icon and the buttons make narrower runs. A caption the window
# manager has to shorten shows narrower than the whole one.
caption_width() {
    local x y w h top
    read -r x y w h < <(frame_rect "$1")
    read -r _ _ top _ < <(xprop -id "$1" _NET_FRAME_EXTENTS | tr -d ',' | awk '{ print $3, $4, $5, $6 }')
    import -window root -crop "${w}x$top+$x+$y" +repage "$WORK/title-bar.png"
    convert "$WORK/title-bar.png" -depth 8 txt:- | awk '
        NR > 1 {
            split($1, p, ","); x = p[1] + 0
            if (match($0, /#[0-9A-Fa-f]+/)) column[x] = column[x] substr($0, RSTART, RLENGTH)
            if (x > last_x) last_x = x
        }
        END {
            for (x = 0; x <= last_x; x++) seen[column[x]]++
            for (c in seen) if (seen[c] > most) { most = seen[c]; background = c }
            last = -100
            for (x = 0; x <= last_x; x++) {
                if (column[x] == background) continue
                if (x - last > 5) start = x
                last = x
                if (last - start + 1 > widest) widest = last - start + 1
            }
            print widest + 0
        }'
}

# whole_caption ID TITLE: the box shows its whole caption, as wide as a box far
# wider than it shows it.
whole_caption() {
    local shown
    shown=$(caption_width "$1")
    [ "$shown" = "${CAPTION_WIDTH[$2]:-none}" ] || {
        echo "box \"$2\" shows its caption $shown pixels wide, the whole caption is ${CAPTION_WIDTH[$2]:-unknown}" >&2
        return 1
    }
}

# not_maximisable ID: the window manager offers neither to maximise nor to resize the window.
not_maximisable() {
    ! xprop -id "$1" _NET_WM_ALLOWED_ACTIONS | grep -q -E '_MAXIMIZE_|_ACTION_RESIZE' || {
        echo "window $1 can be maximised or resized: $(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)" >&2
        return 1
    }
}

# expect_box NAME: waits for the program's box with the title of the reference
# NAME, checks it against the reference pixel for pixel, and leaves its id in BOX.
expect_box() {
    local name=$1 title
    title=$(cat "$WORK/box-$name.title")
    BOX_NAME=$name
    BOX=$(wait_window "$title") || { echo "no box \"$title\" appeared" >&2; return 1; }
    echo "$BOX" >>"$WORK/boxes-seen"
    wait_until 10 focused "$BOX" || { echo "box \"$title\" has no focus" >&2; return 1; }
    import -window "$BOX" "$WORK/seen-$name.png"
    same_image "$WORK/box-$name.png" "$WORK/seen-$name.png" || {
        echo "box \"$title\" does not show the expected text and buttons (see $WORK/seen-$name.png)" >&2
        return 1
    }
    whole_caption "$BOX" "$title" && not_maximisable "$BOX"
}

# answer_box [BUTTON]: presses Return (the default button) or clicks BUTTON of
# the box in BOX, and waits until the box has gone.
answer_box() {
    if [ $# -eq 0 ]; then
        key Return
    else
        local bx by bw bh x y w h
        read -r _ bx by bw bh < <(grep "^$1 " "$WORK/box-$BOX_NAME.buttons")
        read -r x y w h < <(client_rect "$BOX")
        xdotool mousemove --sync $((x + bx + bw / 2)) $((y + by + bh / 2)) click 1 mousemove 0 0
    fi
    wait_until "$E2E_TIMEOUT" bash -c "! xwininfo -id $BOX 2>/dev/null | grep -q IsViewable"
}

# made_once ID: the window manager has managed only this one window with ID's
# title since watch_clients; the program did not put it up and then make it anew.
made_once() {
    local id title others=()
    title=$(xdotool getwindowname "$1")
    for id in $(clients_ever); do
        [ "$id" = "$1" ] && continue
        grep -qx "$id" "$WORK/boxes-seen" 2>/dev/null && continue
        case $id in "$ENTRY" | "${STUDY:-}" | "${TEST:-}") continue ;; esac
        others+=("$(printf '0x%x' "$id")")
    done
    ((${#others[@]} == 0)) || { echo "windows that came and went besides \"$title\": ${others[*]}" >&2; return 1; }
}

# only_our_windows: every window managed since watch_clients is one of the
# three windows or a box that expect_box has seen.
only_our_windows() {
    local id
    for id in $(clients_ever); do
        case " $ENTRY ${STUDY:-} ${TEST:-} $(cat "$WORK/boxes-seen" 2>/dev/null | tr '\n' ' ') " in
            *" $id "*) ;;
            *) echo "another window appeared: $(xwininfo -id "$id" 2>/dev/null | grep -o '".*"' || echo "$id")" >&2
               return 1 ;;
        esac
    done
}

# ---------------------------------------------------------------- common roads

# to_study: from the entry window to the study window.
to_study() {
    click "$ENTRY" "$ENTRY_START"
    STUDY=$(wait_window "$TITLE_STUDY") || die "the study window did not appear"
}

# end_by_abort: closes the test window and answers "Да": the program ends with 0.
end_by_abort() {
    close_by_wm "$TEST" button
    require "closing the test window asks \"Прервать прохождение теста?\"" expect_box abort
    answer_box "Да"
    expect "the program ends with code 0" ends_with 0
}

# hand_over: "Начать тестирование", its box, OK: the test window opens (its
# activation runs while the study window is still on screen).
hand_over() {
    click "$STUDY" "$STUDY_START_TEST"
    require "the box \"Перейти к тестированию?\" is shown" expect_box go
    answer_box
    wait_window "$TITLE_TEST" >/dev/null || die "the test window did not appear"
    TEST=$(stable_window "$TITLE_TEST") || die "the test window does not stay on screen"
}

# right_answers N: the next N questions answered 2, each moving on to a new page.
right_answers() {
    local q page
    choose 2
    for q in $(seq "$1"); do
        page=$(stamp)
        click "$TEST" "$TEST_ANSWER"
        require "right answer $q moves on" wait_new_stamp "$page"
    done
}

# to_test: from the study window to the test window, seen on screen.
to_test() {
    hand_over
    # Both lie at the same place: the test window is seen once the study window has gone.
    wait_unmapped "$STUDY" || die "the study window stays on screen over the test window"
}

# ---------------------------------------------------------------- writes

# The calls that can change a file, and the strace words that trace them, one
# file per process: "${WRITE_TRACE[@]}" DIR/t program...
WRITE_CALLS=open,openat,openat2,creat,truncate,ftruncate,write,pwrite64,writev,pwritev,pwritev2
WRITE_CALLS+=,mkdir,mkdirat,rmdir,unlink,unlinkat,rename,renameat,renameat2,link,linkat,symlink,symlinkat
WRITE_TRACE=(strace -f -ff -qq -y -s 200 -e trace="$WRITE_CALLS" -o)

# offenders DIR [LOG]: the writes that reached a file in the traces DIR/t.*,
# as "count call path": successful calls on paths outside /dev and /proc.
# LOG, where the road sent the standard streams, is not counted as a file.
# strace -y gives every descriptor with its path, so each call names its files.
offenders() {
    cat "$1"/t.* | awk -v stdlog="${2:-}" '
        / = -1 / { next }                                 # failed calls change nothing
        function real(p) { return p ~ /^\// && p !~ /^\/(dev|proc)\// && p !~ /^\/memfd:/ && p != stdlog }
        function resolve(dir, p) { return p ~ /^\// ? p : dir "/" p }
        {
            call = $0; sub(/\(.*/, "", call)
            if (call ~ /^(open|openat|openat2|creat)$/) {
                if (call != "creat" && $0 !~ /O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND/) next
                if (match($0, /= [0-9]+<[^>]*>$/)) {
                    p = substr($0, RSTART, RLENGTH); sub(/^= [0-9]+</, "", p); sub(/>$/, "", p)
                    if (real(p)) print call, p
                }
            } else if (call ~ /^(ftruncate|write|pwrite64|writev|pwritev|pwritev2)$/) {
                if (match($0, /^[a-z0-9]+\([0-9]+<[^>]*>/)) {
                    p = substr($0, RSTART, RLENGTH); sub(/^[^<]*</, "", p); sub(/>$/, "", p)
                    if (real(p)) print call, p
                }
            } else {
                # Path calls: each "dirfd<dir>, \"name\"" or plain "\"name\"" argument.
                rest = $0; dir = ""
                while (match(rest, /(AT_FDCWD|[0-9]+)<[^>]*>, "[^"]*"|"[^"]*"/)) {
                    arg = substr(rest, RSTART, RLENGTH); rest = substr(rest, RSTART + RLENGTH)
                    if (arg ~ /^"/) { dir = "" } else { dir = arg; sub(/^[^<]*</, "", dir); sub(/>.*/, "", dir) }
                    name = arg; sub(/^[^"]*"/, "", name); sub(/"$/, "", name)
                    p = dir == "" ? name : resolve(dir, name)
                    if (real(p) || p !~ /^\//) print call, p
                }
            }
        }' | sort | uniq -c | sort -rn
}

# ---------------------------------------------------------------- kiosk session

KIOSK_SESSION=briefing-kiosk   # the name display managers know the session by
KIOSK_NOTICE="Программа инструктажа не запускается. Сообщите администратору. Новая попытка через 30 секунд."
SESSION_PID=""

# kiosk_road BUILD_DIR BOX...: the start of a road of the kiosk session: the
# reference boxes taken, then the X server left without a window manager (the
# session brings its own), and the build installed with the road's content,
# a study page and five pages all answered 2.
kiosk_road() {
    local tool build=$1
    shift
    for tool in cmake xset pgrep; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed" >&2; exit 77; }
    done
    start_x 96
    references "$@"
    stop_pid "$WM_PID"
    WM_PID=""
    install_root "$build"
    own_content
    study_page
    bank 5 2
}

# install_root BUILD_DIR: the build installed into $WORK/root ($ROOT) as the
# package lays it out; STATION is the installed station folder.
install_root() {
    ROOT=$WORK/root
    cmake --install "$1" --prefix "$ROOT" >"$WORK/install.log" 2>&1 || die "install failed: $(tail -n 5 "$WORK/install.log")"
    STATION=$ROOT/opt/briefing-station
    STATION_DIR=$(cd "$STATION" && pwd -P)
}

# own_content: the installed demo content gives way to the road's own (study_page, bank).
own_content() {
    rm -rf "${STATION:?}/res" "$STATION/TESTS"
    mkdir -p "$STATION/res" "$STATION/TESTS"
}

# start_session [VAR=VALUE...] [WRAPPER...]: the kiosk session, started as a
# display manager starts it: the Exec line of its entry run by a shell, in a
# session of its own, with a session's environment and nothing else. Its
# output goes to $SESSION_LOG, the road's ~/.xsession-errors. The installed
# bin folder stands first on the PATH, in the place of /usr/bin.
start_session() {
    local exec
    exec=$(sed -n 's/^Exec=//p' "$ROOT/usr/share/xsessions/$KIOSK_SESSION.desktop")
    [ -n "$exec" ] || die "the session entry has no Exec line"
    SESSION_LOG=$WORK/session.log
    mkdir -p "$WORK/home" "$WORK/run"
    chmod 700 "$WORK/home" "$WORK/run"
    watch_clients
    setsid env -i DISPLAY="$DISPLAY" HOME="$WORK/home" USER="$(id -un)" LOGNAME="$(id -un)" SHELL=/bin/bash \
        PATH="$ROOT/usr/bin:/usr/local/bin:/usr/bin:/bin" LANG=C.UTF-8 \
        XDG_SESSION_TYPE=x11 XDG_SESSION_CLASS=user XDG_SEAT=seat0 XDG_RUNTIME_DIR="$WORK/run" \
        XDG_SESSION_DESKTOP="$KIOSK_SESSION" DESKTOP_SESSION="$KIOSK_SESSION" \
        "$@" /bin/sh -c "exec $exec" </dev/null >"$SESSION_LOG" 2>&1 &
    SESSION_PID=$!
    step "kiosk session started: $exec"
}

# The session's own script, as the display manager sees it.
session_script() { pgrep -s "$SESSION_PID" -x "$KIOSK_SESSION" | head -n 1; }
session_over() { ! pgrep -s "$SESSION_PID" >/dev/null; }

# end_session: logs out as a display manager does, with TERM to the session,
# and waits for every process of the session to end.
end_session() {
    local script
    script=$(session_script)
    [ -n "$script" ] && kill -TERM "$script" 2>/dev/null
    wait_until "$E2E_TIMEOUT" session_over
}

# drop_session: for the clean-up: ends the session, then kills whatever is
# left of it and of the stations it started.
drop_session() {
    local pid
    [ -n "$SESSION_PID" ] || return 0
    end_session || kill -KILL -- "-$SESSION_PID" 2>/dev/null
    for pid in $(station_pids); do kill -KILL -- "-$pid" 2>/dev/null; done
    wait "$SESSION_PID" 2>/dev/null
    SESSION_PID=""
}

# station_pids: the processes running the installed station program.
station_pids() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/exe" 2>/dev/null)" = "${STATION_DIR:-}/briefing-station" ] && echo "${p#/proc/}"
    done
    return 0
}

# window_pid ID: the process that owns the window, by _NET_WM_PID.
window_pid() { xprop -id "$1" _NET_WM_PID | awk '{ print $3 }'; }

# next_entry PID [TIMEOUT]: the entry window of a station other than the
# process PID, once it is on screen. (A new window may get the id of one that
# has gone, so the owner tells them apart.)
next_entry() {
    local id pid deadline=$((SECONDS + ${2:-$E2E_TIMEOUT}))
    while ((SECONDS < deadline)); do
        id=$(window_id "$TITLE_ENTRY")
        pid=""
        [ -z "$id" ] || pid=$(window_pid "$id" 2>/dev/null || true)
        if [ -n "$pid" ] && [ "$pid" != "$1" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# group_gone PGID: no process is left in the process group.
group_gone() { ! pgrep -g "$1" >/dev/null; }

# viewable_toplevels: the children of the root window now on screen; the
# window manager's menus and pop-ups are among them, as are the clients' frames.
viewable_toplevels() {
    xwininfo -root -children | awk '$1 ~ /^0x/ { print $1 }' | while read -r id; do
        mapped "$id" && echo "$id"
    done
    return 0
}

screen_saver_off() { xset q | grep -Eq '^ +timeout: +0 '; }
