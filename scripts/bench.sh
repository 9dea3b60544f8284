#!/usr/bin/env bash
# Builds the station and its benchmarks, runs every benchmark on a private X
# display (Xvfb with openbox) and prints one Markdown table: the figures, then
# the machine they were taken on. About four minutes.
# BUILD_DIR chooses the build folder (default build/); STARTS the number of
# measured starts of each program (default 15).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
starts=${STARTS:-15}

work=$(mktemp -d /tmp/bench.XXXXXX)
log=$work/bench.log
rows=$work/rows.md
: >"$rows"
xvfb_pid=
openbox_pid=
cleanup() {
  [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$top/scripts/setup.sh" >>"$log" 2>&1
echo "Building in $build ..." >&2
if [ ! -f "$build/build.ninja" ]; then
  (cd "$top" && cmake --preset dev -B "$build") >>"$log" 2>&1
fi
if ! cmake --build "$build" -j"$(nproc)" --target station station_content bench_launch bench_bare_window \
    bench_floor_window bench_study_ticks bench_answer_pages bench_preparation bench_page_rule bench_bank \
    kiosk_hold_program kiosk_pin_tool >>"$log" 2>&1; then
  tail -n 40 "$log" >&2
  exit 1
fi
bin=$build/bench
station=$build/station/briefing-station
page=$build/station/res/INSTR.htm # the page the floor's hidden view loads

# A display of our own: Xvfb picks a free number and tells it through the fd.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>>"$log" &
xvfb_pid=$!
for _ in $(seq 100); do
  grep -q '[0-9]' "$work/display" 2>/dev/null && break
  sleep 0.1
done
grep -q '[0-9]' "$work/display" || { echo "Xvfb did not start" >&2; tail -n 20 "$log" >&2; exit 1; }
export DISPLAY=":$(tr -dc '0-9' <"$work/display")"
openbox --sm-disable >>"$log" 2>&1 &
openbox_pid=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' \
  || { echo "openbox did not start" >&2; exit 1; }

unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
# As root the browser engine cannot use its sandbox.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi

# run "what" command...: its table rows go to the table, the rest to the log.
run() {
  local what=$1
  shift
  echo "Measuring: $what ..." >&2
  echo "== $what: $*" >>"$log"
  if ! "$@" >"$work/out.md" 2>>"$log"; then
    # A program that says itself what failed and why needs no second row.
    grep -q '| failed |' "$work/out.md" || echo "| $what | failed | | see the log below the table |" >>"$work/out.md"
    failed=1
  fi
  cat "$work/out.md" >>"$rows"
}
failed=0
run "preparation of a run" "$bin/bench_preparation"
run "page rule" "$bin/bench_page_rule"
run "start to window" "$bin/bench_launch" startup "$starts" "$bin/bench_bare_window" "$bin/bench_floor_window" "$page" "$station"
run "press to study page" "$bin/bench_launch" press "$starts" "$station" "$bin/bench_bare_window"
run "memory and idle CPU" "$bin/bench_launch" session "$station" "$bin/bench_bare_window" "$bin/bench_floor_window" "$page" 5 30
run "60 ticks" "$bin/bench_study_ticks"
run "answer to next page" "$bin/bench_answer_pages"
run "kiosk restart" "$bin/bench_launch" kiosk 12 "$build/packaging/kiosk/briefing-kiosk" "$build/packaging/briefing-station" "$station"
run "kiosk hold" "$bin/bench_launch" kiosk-hold 8 "$build/packaging/kiosk/briefing-kiosk" "$build/packaging/briefing-station" \
  "$station" "$bin/bench_bare_window"
run "bank tool" "$bin/bench_bank" "$build/station/briefing-bank" "$top/content"

# The machine.
qt=$(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null || echo unknown)
webengine=$(dpkg-query -W -f='${Version}' libqt6webenginecore6 2>/dev/null || echo unknown)
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
memory=$(awk '/^MemTotal:/ { printf "%.1f", $2 / 1048576 }' /proc/meminfo)
{
  echo "| Machine: processors | $(nproc) | | nproc |"
  echo "| Machine: CPU model | ${cpu:-unknown} | | model name in /proc/cpuinfo |"
  echo "| Machine: memory | $memory | GiB | MemTotal in /proc/meminfo |"
  echo "| Machine: Debian | $(cat /etc/debian_version) | | /etc/debian_version; kernel $(uname -r) |"
  echo "| Machine: Qt | ${qt%%+*} | | Debian packages libqt6core6 $qt, libqt6webenginecore6 $webengine |"
  echo "| Machine: display | Xvfb 1280x1024x24, 96 dpi | | with openbox; started by this script |"
} >>"$rows"

echo "| Figure | Value | Unit | How measured |"
echo "|---|---|---|---|"
cat "$rows"
if [ "$failed" -ne 0 ]; then
  echo >&2
  echo "Some measurements failed; the log:" >&2
  tail -n 60 "$log" >&2
  exit 1
fi
