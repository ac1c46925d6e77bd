#!/usr/bin/env bash
# Runs the program in a real terminal (tmux), one session a case: keys as a
# person types them (Escape at human speed and as the Alt prefix, a stray
# byte, the C locale), read back from the screen.
# Usage: terminal_test.sh ZOLMA_BINARY DATA_DIR
set -euo pipefail
zolma=$(realpath "$1")
data=$(realpath "$2")
session=zt
sock=""
cleanup() { [ -n "$sock" ] && tmux -L "$sock" kill-server 2>/dev/null || true; }
trap cleanup EXIT
screen() { tmux -L "$sock" capture-pane -t "$session" -p; }
keys() { tmux -L "$sock" send-keys -t "$session" "$@"; }
wait_for() {  # pattern, tries of 0.1 s
  for _ in $(seq 1 "${2:-50}"); do
    if grep -q -- "$1" <<<"$(screen)"; then return 0; fi
    sleep 0.1
  done
  echo "not on the screen: $1"; screen; return 1
}
shows() {  # pattern: on the screen now
  grep -q -- "$1" <<<"$(screen)" || { echo "not on the screen: $1"; screen; return 1; }
}
ms() { date +%s%3N; }

# Starts the program with the locale given (the terminal itself is UTF-8)
# in a terminal of 80 columns or the width given.
start() {
  cleanup
  sock="zolma-test-$$-$RANDOM"
  LANG=C.UTF-8 tmux -L "$sock" new-session -d -s "$session" -x "${2:-80}" -y 24 \
    "cd '$data' && env -u LC_ALL -u LC_CTYPE -u LC_MESSAGES LANG=$1 TERM=xterm-256color '$zolma'; echo ENDE=\$?; sleep 5"
  wait_for "Daten vom"
}
# Ends the program with Esc Esc; it must exit with status 0.
finish() {
  keys Escape Escape
  wait_for "ENDE=0"
}

case_esc_pause_then_b_computes() {
  start C.UTF-8
  keys 'Nürnberg Hbf' Enter
  wait_for "Abgang: *Nürnberg Hbf"
  keys 'Bamberg' Enter
  keys Escape
  sleep 0.15
  keys b
  wait_for "61 km"
  shows "Von: *Nürnberg Hbf"
  shows "Nach: *Bamberg"
  finish
}

case_esc_esc_ends_at_once() {
  start C.UTF-8
  keys Escape
  sleep 0.1
  # The first Esc waits for a key to follow it.
  ! grep -q "ENDE=" <<<"$(screen)" || { echo "ended on the first Esc"; return 1; }
  local t0; t0=$(ms)
  keys Escape
  wait_for "ENDE=0"
  local took=$(($(ms) - t0))
  echo "ended ${took} ms after the second Esc"
  [ "$took" -lt 600 ]  # a lone Esc would wait its whole second
}

case_alt_prefix_at_machine_speed() {
  start C.UTF-8
  keys 'Nürnberg Hbf' Enter 'Bamberg' Enter M-b
  wait_for "61 km"
  finish
}

case_c_locale() {
  start C
  wait_for "Ueber 1:"
  ! grep -q '?' <<<"$(screen)" || { echo "a '?' on the screen"; screen; return 1; }
  keys 'Nuernberg Hbf' Enter 'Bamberg' Enter M-b
  wait_for "61 km"
  shows "Von: *Nuernberg Hbf"
  ! grep -q '?' <<<"$(screen)" || { echo "a '?' on the screen"; screen; return 1; }
  finish
}

case_utf8_locale() {
  start C.UTF-8
  keys 'Nuernberg Hbf' Enter 'Bamberg' Enter M-b
  wait_for "61 km"
  shows "Von: *Nürnberg Hbf"
  finish
}

case_stray_byte_is_dropped() {
  # A Latin-1 terminal sends ü as the byte 0xFC, which is no UTF-8.
  start C.UTF-8
  keys 'Nuernberg Hbf'
  keys -H fc
  keys Enter
  wait_for "Abgang: *Nürnberg Hbf" 10
  keys 'Bamberg' Enter M-b
  wait_for "61 km" 10
  finish
}

case_enter_then_typing_replaces_the_next_field() {
  start C.UTF-8
  keys Tab 'Erlangen' BTab 'Nürnberg Hbf' Enter
  wait_for "Abgang: *Nürnberg Hbf"
  keys 'Bamberg' Enter M-b
  wait_for "61 km"
  shows "Nach: *Bamberg"
  finish
}

case_layout_of_route_text_distance_and_prompt() {
  start C.UTF-8
  keys 'Nürnberg Hbf' Enter 'Kronach' Enter 'Bamberg' Enter 'Lichtenfels' Enter M-b
  wait_for "117 km"
  # The route text's rows: the label's row and the three below it, inside
  # the border, without the label, joined.
  local shown
  shown=$(screen | grep -A3 "Wegetext:" | sed -e 's/^ *x//' -e 's/x *$//' -e 's/Wegetext://' \
          -e 's/^ *//' -e 's/ *$//' | tr -d '\n')
  local want="Fürth*Forchheim*Bamberg*Bad Staffelstein*Lichtenfels*(Hochstadt-M.)"
  [ "$shown" = "$want" ] || { echo "route text shown: '$shown'"; screen; return 1; }
  # The distance stands right below its label.
  local label km
  label=$(screen | grep -n "Entfernung:" | cut -d: -f1)
  km=$(screen | grep -n "117 km" | cut -d: -f1)
  [ "$km" -eq $((label + 1)) ] || { echo "Entfernung: on row $label, 117 km on row $km"; return 1; }
  # The printer's settings prompt (Shift held while printing): each label
  # on its value's row, with a blank between them; Esc Esc cancels it.
  keys F3 M-d
  wait_for "Druckeinstellungen"
  shows "Ausrichtung: Hochformat"
  shows "Kopien: *1"
  shows "Duplex: *Aus"
  keys Escape Escape
  wait_for "Tab=Feld"
  finish
}

case_hint_line_fits_80_columns() {
  start C 100  # the C locale writes umlauts as two letters: the longest line
  local hint
  for keys in "" "Enter Enter Enter Enter"; do
    [ -z "$keys" ] || keys $keys
    sleep 0.3
    hint=$(screen | tail -1 | sed 's/ *$//')
    echo "hint line: '$hint'"
    [ "${#hint}" -le 80 ] || { echo "longer than 80 columns"; return 1; }
    grep -q "Esc x=Alt+x  Esc Esc=Ende" <<<"$hint" || { echo "Esc not named"; return 1; }
  done
  grep -q "Enter=Berechnen" <<<"$hint" || { echo "Enter on the button not named"; return 1; }
  finish
}

cases=(
  esc_pause_then_b_computes
  esc_esc_ends_at_once
  alt_prefix_at_machine_speed
  c_locale
  utf8_locale
  stray_byte_is_dropped
  enter_then_typing_replaces_the_next_field
  layout_of_route_text_distance_and_prompt
  hint_line_fits_80_columns
)
failed=()
for c in "${cases[@]}"; do
  echo "== $c"
  set +e
  (set -e; "case_$c")
  rc=$?
  set -e
  [ "$rc" -eq 0 ] || failed+=("$c")
done
cleanup
if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}"
  exit 1
fi
echo "all ${#cases[@]} cases passed"
