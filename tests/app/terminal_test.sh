#!/usr/bin/env bash
# Runs the program once in a real terminal (tmux): types origin and
# destination, presses "&Berechnen" (Alt+B) and reads the distance from
# the screen, then ends the program with Escape.
# Usage: terminal_test.sh ZOLMA_BINARY DATA_DIR
set -euo pipefail
zolma=$1
data=$2
sock="zolma-test-$$"
session=zt
trap 'tmux -L "$sock" kill-server 2>/dev/null || true' EXIT
screen() { tmux -L "$sock" capture-pane -t "$session" -p; }
wait_for() {  # pattern, tries
  for _ in $(seq 1 "${2:-50}"); do
    if grep -q -- "$1" <<<"$(screen)"; then return 0; fi
    sleep 0.1
  done
  echo "not on the screen: $1"; screen; return 1
}
cd "$data"
LANG=C.UTF-8 tmux -L "$sock" new-session -d -s "$session" -x 80 -y 24 \
  "TERM=xterm-256color '$zolma'; echo ENDE=\$?; sleep 5"
wait_for "Daten vom"
tmux -L "$sock" send-keys -t "$session" 'Nürnberg Hbf' Enter
wait_for "Nürnberg Hbf"
tmux -L "$sock" send-keys -t "$session" 'Bamberg' Enter
tmux -L "$sock" send-keys -t "$session" Escape b
wait_for "[0-9] km"
shown=$(screen)
grep -q "Von: *Nürnberg Hbf" <<<"$shown"
grep -q "Nach: *Bamberg" <<<"$shown"
echo "$(grep -o '[0-9]* km' <<<"$shown" | head -1) on the screen"
tmux -L "$sock" send-keys -t "$session" Escape
wait_for "ENDE=0"
