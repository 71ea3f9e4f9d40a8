#!/bin/sh
# Runs a test program on an X server of its own, with openbox managing its
# windows: for what only a real window manager shows, such as the frame it
# puts around a window. Needs nothing running and no DISPLAY.
# Usage: under-openbox.sh program [arguments...]
set -eu
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  log=$(mktemp)
  openbox --sm-disable >"$log" 2>&1 &
  wm=$!
  # openbox is ready once it has announced itself on the root window.
  tries=0
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
    tries=$((tries + 1))
    if [ "$tries" -gt 600 ]; then
      echo "openbox did not start:" >&2
      cat "$log" >&2
      kill "$wm" 2>/dev/null || true
      exit 1
    fi
    sleep 0.1
  done
  status=0
  QT_QPA_PLATFORM=xcb "$@" || status=$?
  kill "$wm" 2>/dev/null || true
  rm -f "$log"
  exit "$status"
' under-openbox "$@"
