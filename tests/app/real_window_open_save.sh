#!/usr/bin/env bash
# Starts the editor in a real X server with a program file on the command line, types one
# character, saves with the toolbar's save button and compares the file on disk.
set -euo pipefail
zorvan=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config
unset QT_QPA_PLATFORM
file="$home/my prog.ncd"
printf '%%\r\nG01X1.\r\n' > "$file"

# A display number of its own, so runs side by side do not race for the same free one.
xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 1280x800x24" bash -c '
  zorvan=$0 file=$1
  "$zorvan" "$file" & pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  title() { xdotool getwindowname "$win" 2>/dev/null || true; }
  wait_title() {
    for i in $(seq 1 300); do [ "$(title)" = "$1" ] && return 0; sleep 0.1; done
    echo "title is \"$(title)\", expected \"$1\""; exit 1
  }
  for i in $(seq 1 300); do
    win=$(xdotool search --onlyvisible --name "^Zorvan" 2>/dev/null | head -n1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || { echo "no main window"; exit 1; }
  # The title as the window system shows it, with nothing appended by the toolkit.
  wait_title "Zorvan $file"
  xdotool windowfocus "$win" 2>/dev/null || true
  sleep 0.3
  xdotool type "N"
  wait_title "Zorvan *$file"
  xdotool mousemove --window "$win" 75 40 click 1   # ToolButton1, the save button
  wait_title "Zorvan $file"
  xdotool key alt+x
  for i in $(seq 1 150); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then echo "still running after Alt+X"; exit 1; fi
' "$zorvan" "$file"

expected=$(printf 'N%%\r\nG01X1.\r\n' | od -An -tx1)
actual=$(od -An -tx1 < "$file")
if [ "$expected" != "$actual" ]; then
  echo "file on disk differs:"; echo "expected $expected"; echo "actual   $actual"; exit 1
fi
echo "1 passed, 0 failed"
