#!/usr/bin/env bash
# Runs a window test on a real X server with a window manager (openbox), where titles, focus and
# modal dialogs behave as on the shop's desk rather than as on the offscreen platform.
set -euo pipefail
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  openbox >/dev/null 2>&1 &
  trap "kill $! 2>/dev/null" EXIT
  QT_QPA_PLATFORM=xcb "$@"' run "$@"
