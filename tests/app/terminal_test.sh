#!/usr/bin/env bash
# Runs the program in a real terminal (tmux), one session a case: keys as a
# person types them (Escape at human speed and as the Alt prefix, a stray
# byte, the C locale), read back from the screen; standard error goes to a
# file and the shell writes the exit status onto the screen as ENDE=N.
# Usage: terminal_test.sh ZOLMA_BINARY DATA_DIR
set -euo pipefail
zolma=$(realpath "$1")
data=$(realpath "$2")
session=zt
sock=""
work=$(mktemp -d)
cleanup() { [ -n "$sock" ] && tmux -L "$sock" kill-server 2>/dev/null || true; }
trap 'cleanup; rm -rf "$work"' EXIT
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
# Types a text one key at a time, as a person does (about 80 ms a key).
typed() {
  local t="$1" i
  for ((i = 0; i < ${#t}; i++)); do
    keys -l "${t:i:1}"
    sleep 0.08
  done
}

# Starts the program with the locale given (the terminal itself is UTF-8)
# in a terminal of 80 columns or the width given, 24 rows or the height
# given, in the data folder or the folder given, and waits for the main
# dialog. Print jobs never reach a print server: CUPS_SERVER names a socket
# that does not exist.
launch() {  # locale, width, folder, height
  cleanup
  sock="zolma-test-$$-$RANDOM"
  : >"$work/stderr"
  LANG=C.UTF-8 tmux -L "$sock" new-session -d -s "$session" -x "$2" -y "${4:-24}" \
    "cd '$3' && env -u LC_ALL -u LC_CTYPE -u LC_MESSAGES LANG=$1 TERM=xterm-256color \
       CUPS_SERVER='$work/kein-cups.sock' '$zolma' 2>'$work/stderr'; echo ENDE=\$?; sleep 5"
}
start() {  # locale, width, folder, height
  launch "$1" "${2:-80}" "${3:-$data}" "${4:-24}"
  wait_for "Daten vom"
}
# The screen row (from 1) of the first line matching a pattern.
row_of() { screen | grep -n -m1 -- "$1" | cut -d: -f1; }
# The cursor: "column,row visible" (from 0; visible is 1 or 0).
cursor() { tmux -L "$sock" display -p -t "$session" '#{cursor_x},#{cursor_y} #{cursor_flag}'; }
on_stderr() {  # fixed text
  grep -qF -- "$1" "$work/stderr" && return 0
  echo "not on standard error: $1"; cat "$work/stderr"; return 1
}
# A copy of the data set in a folder of its own, with the named file cut to
# the number of bytes given.
copy_data() {  # [file bytes]
  local d
  d=$(mktemp -d "$work/daten-XXXX")
  cp "$data"/DM* "$d"
  [ $# -eq 0 ] || head -c "$2" "$data/$1" >"$d/$1"
  echo "$d"
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

case_human_speed_in_both_locales() {
  # Key by key, with Esc, a pause and b for Alt+B, in the C locale and in
  # a UTF-8 locale.
  for loc in C C.UTF-8; do
    start "$loc"
    typed 'Nuernberg Hbf'
    keys Enter
    wait_for "Abgang: *N.*rnberg Hbf"
    typed 'Bamberg'
    keys Enter
    sleep 0.2
    keys Escape
    sleep 0.3
    keys b
    wait_for "61 km"
    finish
  done
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
  # At every size: the route text's rows follow one another, inside the
  # border; "Von:" and "Entfernung:" share a row, the distance stands right
  # below its label.
  local size
  for size in 80x24 100x30 200x60; do
    echo "-- $size"
    start C.UTF-8 "${size%x*}" "$data" "${size#*x}"
    keys 'Nürnberg Hbf' Enter 'Kronach' Enter 'Bamberg' Enter 'Lichtenfels' Enter M-b
    wait_for "117 km"
    local shown
    shown=$(screen | grep -A3 "Wegetext:" | sed -e 's/^ *x//' -e 's/x *$//' -e 's/Wegetext://' \
            -e 's/^ *//' -e 's/ *$//' | tr -d '\n')
    local want="Fürth*Forchheim*Bamberg*Bad Staffelstein*Lichtenfels*(Hochstadt-M.)"
    [ "$shown" = "$want" ] || { echo "route text shown: '$shown'"; screen; return 1; }
    local first last
    first=$(row_of "Wegetext:")
    last=$(row_of "(Hochstadt-M.)")
    [ "$last" -le $((first + 1)) ] || { echo "route text on rows $first to $last"; screen; return 1; }
    shows "Von: *Nürnberg Hbf *Entfernung:"
    local label km
    label=$(row_of "Entfernung:")
    km=$(row_of "117 km")
    [ "$km" -eq $((label + 1)) ] || { echo "Entfernung: on row $label, 117 km on row $km"; return 1; }
    # No label touches the frame: a blank between the border and the text.
    ! screen | grep -Eq "^ *x[^ ]|[^ ]x *$" || { echo "a text touches the border"; screen; return 1; }
    finish
  done
  # The printer's settings prompt (Shift held while printing): each label
  # on its value's row, with a blank between them and one before the
  # border; Esc Esc cancels it.
  start C.UTF-8
  keys 'Nürnberg Hbf' Enter 'Bamberg' Enter M-b
  wait_for "61 km"
  keys F3 M-d
  wait_for "Druckeinstellungen"
  shows "x Ausrichtung: Hochformat"
  shows "Kopien: *1"
  shows "Duplex: *Aus"
  keys Escape Escape
  wait_for "Tab=Feld"
  finish
}

# While the terminal is too small, the message fits it word by word and no
# key reaches the dialog; enlarged, the dialog is as it was.
case_too_small_holds_the_keys() {
  start C.UTF-8
  keys Lauf
  wait_for "Abgang: *Lauf"
  tmux -L "$sock" resize-window -t "$session" -x 30 -y 8
  wait_for "Das Terminal ist zu klein:"
  shows "Bitte vergrößern."
  shows "76 x 24 Zeichen"
  keys x Escape Escape
  sleep 0.3
  shows "Bitte vergrößern."
  tmux -L "$sock" resize-window -t "$session" -x 80 -y 24
  wait_for "Abgang: *Lauf  "
  finish
}

# F10 opens the system menu and closes it again; no cursor is shown while
# it is open, and afterwards the cursor is back in the field.
case_system_menu_closes_on_f10() {
  start C.UTF-8
  local before; before=$(cursor)
  keys F10
  wait_for "Schließen"
  [ "$(cursor | cut -d' ' -f2)" = 0 ] || { echo "a cursor in the menu: $(cursor)"; return 1; }
  keys F10
  sleep 0.3
  ! grep -q "Schließen" <<<"$(screen)" || { echo "the menu stays"; screen; return 1; }
  [ "$(cursor)" = "$before" ] || { echo "cursor $(cursor), was $before"; return 1; }
  shows "Esc Esc=Ende"
  finish
}

# The lists' keys as a terminal sends them: Down from the picker's field
# selects the first name, End the last; the 50 km list takes End, Home,
# PgDn, a letter and the mouse wheel.
case_list_keys() {
  start C.UTF-8 100 "$data" 30
  keys bamb F2
  wait_for "Abgangsbahnhof eingeben"
  keys Down
  wait_for "x  Bamberg  *\[OK\]"
  keys End
  wait_for "x  Bamberg Gbf  *\[OK\]"
  keys Escape Escape
  wait_for "Esc Esc=Ende"
  # The cancelled picker moved the focus on; back to the origin field.
  keys BTab 'Nürnberg Hbf' Enter M-s
  wait_for "Vorschau"
  keys Tab Tab
  wait_for "Enter=Abbruch"
  keys End
  wait_for "Zirndorf"
  ! grep -q "Altdorf West" <<<"$(screen)" || { echo "End did not scroll"; screen; return 1; }
  keys Home
  wait_for "Altdorf West"
  keys PgDn PgDn PgDn PgDn PgDn PgDn
  wait_for "Zirndorf"
  keys Home
  wait_for "Altdorf West"
  # The wheel over the list scrolls it (an xterm mouse report, wheel down).
  local row; row=$(row_of "Altdorf West")
  keys -l $'\e[<65;30;'"$row"'M'
  sleep 0.3
  ! grep -q "Altdorf West" <<<"$(screen)" || { echo "the wheel did not scroll"; screen; return 1; }
  keys Home w
  wait_for "Weißenburg"
  keys Escape Escape
  wait_for "Esc Esc=Ende"
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

case_stations_by_number() {
  # Node stations typed by number: Nürnberg Hbf 1001, Bamberg 1005.
  start C.UTF-8
  keys 1001 Enter
  wait_for "Abgang: *Nürnberg Hbf"
  keys 1005 Enter
  wait_for "Ziel: *Bamberg"
  keys M-b
  wait_for " 61 km"
  finish
}

# A failed start-up: the message box, then exit status 1 and the reason on
# standard error. Arguments: the folder, then texts standard error holds.
fails() {
  launch C.UTF-8 80 "$1"
  shift
  wait_for "Fehler bei der Initialisierung"
  keys Enter
  wait_for "ENDE=1"
  for text in "$@" "aus dem aktuellen Ordner"; do on_stderr "$text"; done
}
case_empty_folder_fails_naming_dmfehl() {
  mkdir -p "$work/leer"
  fails "$work/leer" 'Meldung D DZ1011, Parameter: "DMFEHL"'
}
case_cut_file_fails_naming_file_and_fault() {
  fails "$(copy_data DMSTEN 10)" 'Meldung D DZ1013, Parameter: "DMSTEN", "Datei zu kurz"'
  fails "$(copy_data DMGREN 200)" 'Meldung D DZ1025, Parameter: "DMGREN"' 'groesser als der Rest der Datei'
}

# With the print server out of reach, printing falls back to the file
# printer, and the status line says both: the server is gone, and where the
# page went. At 120 columns the whole file name fits; at 80 the path's start
# gives way to "..." and the name's end, with its time, stays. The file is
# there, and nothing else is in druck/.
case_print_names_its_file() {
  local cols d name
  for cols in 120 80; do
    d=$(copy_data)
    start C.UTF-8 "$cols" "$d"
    keys 'Nürnberg Hbf' Enter 'Bamberg' Enter M-b
    wait_for "61 km"
    keys M-d
    if [ "$cols" = 120 ]; then
      wait_for "Drucksystem nicht erreichbar - gedruckt: druck/KRV_Entfernungsberechnung-.*\.pdf"
      name=$(screen | grep -o "druck/KRV_Entfernungsberechnung-[0-9-]*\.pdf")
    else
      wait_for "Drucksystem nicht erreichbar - gedruckt: \.\.\..*-[0-9]*-[0-9]*\.pdf"
      name=druck/KRV_Entfernungsberechnung-$(screen | grep -o "[0-9]\{8\}-[0-9]\{6\}[0-9-]*\.pdf")
    fi
    [ -f "$d/$name" ] || { echo "no file $name"; ls -la "$d/druck"; return 1; }
    [ "$(ls -A "$d/druck" | wc -l)" -eq 1 ] || { echo "more in druck/:"; ls -A "$d/druck"; return 1; }
    finish
  done
}

# A druck/ that cannot hold files (here a plain file of that name, which
# stops root as well) fails at the start of the document, and nothing is
# written.
case_print_into_unusable_folder_fails_at_startdoc() {
  local d; d=$(copy_data)
  : >"$d/druck"
  start C.UTF-8 80 "$d"
  keys 'Nürnberg Hbf' Enter 'Bamberg' Enter M-b
  wait_for "61 km"
  keys M-d
  wait_for "Kann Drucker nicht .ffnen: StartDoc"
  shows "Fehler beim Drucken"
  [ ! -s "$d/druck" ] || { echo "druck was written"; return 1; }
  [ -z "$(ls "$d" | grep -v '^DM' | grep -v '^druck$')" ] || { echo "files left:"; ls -la "$d"; return 1; }
  keys Enter
  finish
}

cases=(
  esc_pause_then_b_computes
  esc_esc_ends_at_once
  alt_prefix_at_machine_speed
  c_locale
  utf8_locale
  human_speed_in_both_locales
  stray_byte_is_dropped
  enter_then_typing_replaces_the_next_field
  layout_of_route_text_distance_and_prompt
  too_small_holds_the_keys
  system_menu_closes_on_f10
  list_keys
  hint_line_fits_80_columns
  stations_by_number
  empty_folder_fails_naming_dmfehl
  cut_file_fails_naming_file_and_fault
  print_names_its_file
  print_into_unusable_folder_fails_at_startdoc
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
