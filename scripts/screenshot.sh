#!/usr/bin/env bash
# Makes the README's screenshot: the editor under Xvfb with a coloured sample program, captured
# as docs/screenshot.png (or the path given). Builds nothing: run ./scripts/setup.sh first.
# Needs xvfb, xdotool and imagemagick (all installed by the set-up script).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/screenshot.png}")
zorvan=$(realpath "${ZORVAN_BUILD_DIR:-build}/app/zorvan")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A program that shows every colour: program number red, sequence numbers blue, comments green.
# Written in Shift-JIS with CR LF, as programs are kept on disk.
cat <<'PROGRAM' | sed 's/$/\r/' | iconv -f UTF-8 -t SHIFT_JIS >"$work/sample.ncd"
%
O1001(ポケット荒取り)
N10G90G54G00X0.Y0.
N20S1200M03(主軸正転)
N30G43H01Z50.
N40G01Z-5.F200
N50X120.Y35.5
N60G02X140.Y55.5R20.
N70G01Y80.
N80X20.(戻り)
N90G00Z50.
N100M30
%
PROGRAM

export HOME=$work XDG_CONFIG_HOME=$work/.config
unset QT_QPA_PLATFORM
# A display number of its own, so runs side by side do not race for the same free one.
xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 1024x768x24" bash -c '
  "$0" "$1/sample.ncd" & pid=$!
  for i in $(seq 1 100); do
    win=$(xdotool search --onlyvisible --name "^Zorvan" 2>/dev/null | head -n1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || { echo "no main window"; kill $pid; exit 1; }
  sleep 2.5   # the splash hands over the command line and hides one second after the window showed
  import -window "$win" "$2"
  kill $pid
  wait $pid 2>/dev/null || true
' "$zorvan" "$work" "$out"
echo "$out"
