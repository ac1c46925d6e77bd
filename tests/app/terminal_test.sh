#!/usr/bin/env bash
# Runs the program in a real terminal (tmux), once for each case of the
# table at the end. Every case starts the program in a folder of its own
# with standard error going to a file; the shell writes the exit status onto
# the screen as ENDE=N when the program has ended.
# Usage: terminal_test.sh ZOLMA_BINARY DATA_DIR
set -euo pipefail
zolma=$(realpath "$1")
data=$(realpath "$2")
run=0
sock="zolma-test-$$-$run"
session=zt
work=$(mktemp -d)
trap 'tmux -L "$sock" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT
screen() { tmux -L "$sock" capture-pane -t "$session" -p; }
keys() { tmux -L "$sock" send-keys -t "$session" "$@"; }
wait_for() {  # pattern, tries
  for _ in $(seq 1 "${2:-50}"); do
    if grep -q -- "$1" <<<"$(screen)"; then return 0; fi
    sleep 0.1
  done
  echo "not on the screen: $1"; screen; return 1
}
start() {  # folder; each run has a tmux server of its own
  tmux -L "$sock" kill-server 2>/dev/null || true
  run=$((run + 1))
  sock="zolma-test-$$-$run"
  : >"$work/stderr"
  (cd "$1" && LANG=C.UTF-8 tmux -L "$sock" new-session -d -s "$session" -x 80 -y 24 \
    "TERM=xterm-256color '$zolma' 2>'$work/stderr'; echo ENDE=\$?; sleep 30")
}
on_stderr() {  # fixed text
  grep -qF -- "$1" "$work/stderr" && return 0
  echo "not on standard error: $1"; cat "$work/stderr"; return 1
}
copy_cut() {  # file, bytes: a copy of the data set with that file cut short
  local d="$work/cut-$1-$2"
  mkdir -p "$d"; cp "$data"/DM* "$d"; head -c "$2" "$data/$1" >"$d/$1"; echo "$d"
}

# Origin and destination by name, "&Berechnen" by Esc then b.
by_name() {
  start "$data"
  wait_for "Daten vom"
  keys 'Nürnberg Hbf' Enter
  wait_for "Nürnberg Hbf"
  keys 'Bamberg' Enter
  keys Escape b
  wait_for "[0-9] km"
  shown=$(screen)
  grep -q "Von: *Nürnberg Hbf" <<<"$shown"
  grep -q "Nach: *Bamberg" <<<"$shown"
  echo "$(grep -o '[0-9]* km' <<<"$shown" | head -1) on the screen"
  keys Escape
  wait_for "ENDE=0"
}

# Node stations typed by number (Nürnberg Hbf 1001, Bamberg 1005) resolve.
by_number() {
  start "$data"
  wait_for "Daten vom"
  keys 1001 Enter
  wait_for "Nürnberg Hbf"
  keys 1005 Enter
  wait_for "Bamberg"
  keys M-b
  wait_for " 61 km"
  grep -q "Von: *Nürnberg Hbf" <<<"$(screen)"
  keys Escape
  wait_for "ENDE=0"
}

# A failed start-up: the message box, then exit status 1 and the reason on
# standard error. Arguments: the folder, then texts standard error holds.
fails() {
  start "$1"
  shift
  wait_for "Fehler bei der Initialisierung"
  keys Enter
  wait_for "ENDE=1"
  for text in "$@" "aus dem aktuellen Ordner"; do on_stderr "$text"; done
}

mkdir "$work/empty"
# One case a row.
by_name
by_number
fails "$work/empty" 'Meldung D DZ1011, Parameter: "DMFEHL"'
fails "$(copy_cut DMSTEN 10)" 'Meldung D DZ1013, Parameter: "DMSTEN", "Datei zu kurz"'
fails "$(copy_cut DMGREN 200)" 'Meldung D DZ1025, Parameter: "DMGREN"' 'groesser als der Rest der Datei'
