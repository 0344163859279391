#!/usr/bin/env bash
# Starts the editor in a real X server, waits for its main window, closes it with Alt+X and
# expects exit status 0 without any message box on the way.
set -euo pipefail
zorvan=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config
unset QT_QPA_PLATFORM

# A display number of its own, so runs side by side do not race for the same free one.
xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 1024x768x24" bash -c '
  "$0" & pid=$!
  for i in $(seq 1 300); do
    win=$(xdotool search --onlyvisible --name "^Zorvan" 2>/dev/null | head -n1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || { echo "no main window"; kill $pid; exit 1; }
  sleep 1.5   # the splash hides one second after the main window showed
  xdotool windowfocus "$win" 2>/dev/null || true
  sleep 0.3
  xdotool key alt+x
  for i in $(seq 1 150); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 $pid 2>/dev/null; then
    echo "still running after Alt+X:"; xdotool search --name "." getwindowname %@ 2>/dev/null | sort -u
    kill $pid; exit 1
  fi
  wait $pid
' "$zorvan"
echo "1 passed, 0 failed"
