#!/usr/bin/env bash
# Sets up, builds and starts the station with its demo content on this display.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Нет дисплея (DISPLAY не задан): станцию можно запустить только на рабочем столе." >&2
  exit 1
fi
"$top/scripts/setup.sh"
"$top/scripts/build.sh" >/dev/null
# As root the browser engine cannot use its sandbox.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
cd "$top/build/station"
exec ./briefing-station
