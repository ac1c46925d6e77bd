#!/usr/bin/env bash
# Runs the program in a real terminal (tmux), one session a case: keys as a
# person types them (Escape at human speed and as the Alt prefix, a stray
# byte, Ctrl+C, the C locale), read back from the screen; standard error
# goes to a file and the shell writes the exit status and the terminal's
# modes afterwards onto the screen as "ENDE=N STTY=...".
#
# Nothing here depends on how fast the machine is. Every check waits for
# what it looks for, with a limit of half a minute; a check that something
# did not happen first waits for a sign that the program has read the keys
# (a later key's effect). Timing is checked only as a bound that a loaded
# machine can only make safer (a lone Esc acts no sooner than its second),
# or, for the cases that need keys to arrive within the Esc delay, by
# measuring how long sending them took and trying again when the machine
# was too slow to send them in time.
# Usage: terminal_test.sh ZOLMA_BINARY DATA_DIR
set -euo pipefail
export LC_ALL=C.UTF-8  # this script's own pattern matching and lengths
zolma=$(realpath "$1")
data=$(realpath "$2")
session=zt
sock=""
work=$(mktemp -d)
cleanup() { [ -n "$sock" ] && tmux -L "$sock" kill-server 2>/dev/null || true; }
trap 'cleanup; rm -rf "$work"' EXIT
screen() { tmux -L "$sock" capture-pane -t "$session" -p; }
keys() { tmux -L "$sock" send-keys -t "$session" "$@"; }
limit=30  # seconds any wait may take
wait_for() {  # pattern: on the screen within the limit
  local end=$((SECONDS + limit))
  while [ "$SECONDS" -le "$end" ]; do
    if grep -q -- "$1" <<<"$(screen)"; then return 0; fi
    sleep 0.1
  done
  echo "not on the screen: $1"; screen; return 1
}
wait_gone() {  # pattern: off the screen within the limit
  local end=$((SECONDS + limit))
  while [ "$SECONDS" -le "$end" ]; do
    if ! grep -q -- "$1" <<<"$(screen)"; then return 0; fi
    sleep 0.1
  done
  echo "still on the screen: $1"; screen; return 1
}
wait_true() {  # command: succeeds within the limit
  local end=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -le "$end" ] || { echo "never true: $*"; screen; return 1; }
    sleep 0.1
  done
}
shows() {  # pattern: on the screen now
  grep -q -- "$1" <<<"$(screen)" || { echo "not on the screen: $1"; screen; return 1; }
}
ms() { date +%s%3N; }
# The time in milliseconds into the variable named, without starting a
# process (a loaded machine is slow to start one).
stamp() {
  local t=${EPOCHREALTIME/./}
  printf -v "$1" '%d' $((t / 1000))
}
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
# given, in the data folder or the folder given, with the terminal type
# given or xterm-256color. Print jobs never reach a print server:
# CUPS_SERVER names a socket that does not exist.
launch() {  # locale, width, folder, height, terminal type
  cleanup
  sock="zolma-test-$$-$RANDOM"
  : >"$work/stderr"
  cat >"$work/run.sh" <<RUN
cd '$3' || exit 1
env -u LC_ALL -u LC_CTYPE -u LC_MESSAGES LANG=$1 TERM=${5:-xterm-256color} \
  CUPS_SERVER='$work/kein-cups.sock' '$zolma' 2>'$work/stderr'
echo "ENDE=\$? STTY=\$(stty -a | tr ' ;' '\n\n' | grep -x -e -icanon -e icanon -e -echo -e echo | tr '\n' ' ')"
sleep 600
RUN
  LANG=C.UTF-8 tmux -L "$sock" new-session -d -s "$session" -x "$2" -y "${4:-24}" "bash '$work/run.sh'"
}
start() {  # locale, width, folder, height: and waits for the main dialog
  launch "$1" "${2:-80}" "${3:-$data}" "${4:-24}"
  wait_for "Daten vom"
}
# The screen row (from 1) of the first line matching a pattern.
row_of() { screen | grep -n -m1 -- "$1" | cut -d: -f1; }
# The column (from 1) of a text in the first line holding it.
col_of() {
  local line before
  line=$(screen | grep -m1 -F -- "$1")
  before=${line%%"$1"*}
  echo $((${#before} + 1))
}
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
# The program has ended with the status given and left the terminal as it
# found it: its modes back, the normal screen, the cursor shown.
ended_restored() {  # status
  wait_for "ENDE=$1 STTY=icanon echo$"
  [ "$(tmux -L "$sock" display -p -t "$session" '#{alternate_on}')" = 0 ] ||
    { echo "still on the alternate screen"; return 1; }
  [ "$(cursor | cut -d' ' -f2)" = 1 ] || { echo "the cursor stays hidden"; return 1; }
}

# A case that needs keys to arrive within the Esc delay returns this when
# sending them took too long to tell; it is then tried again.
too_slow=75
with_tries() {  # case function
  local i rc
  for i in 1 2 3 4 5 6 7 8; do
    set +e
    (set -e; "$1")
    rc=$?
    set -e
    [ "$rc" -eq "$too_slow" ] || return "$rc"
    echo "(sending the keys took longer than the Esc delay allows; try $i of 8)"
  done
  echo "the machine never sent the keys within the Esc delay"
  return 1
}
# Esc, a pause longer than the terminal library's own wait for a key
# sequence (25 ms), then b: Alt+B, provided that b arrives within the
# second Esc waits for it. One tmux command sends both, the pause kept by
# the tmux server's own timer. The time from before that command to after
# it is measured: under 900 ms, b reached the program inside its window
# whatever the machine's load (the window opens when the program reads
# Esc, which is after it was sent); slower, the case cannot tell and is
# tried again.
esc_pause_b() {  # pause in seconds
  local t0 t1
  stamp t0
  keys Escape \; run-shell -d "$1" -C "send-keys -t $session b"
  stamp t1
  if [ $((t1 - t0)) -ge 900 ]; then
    echo "Esc and b sent within $((t1 - t0)) ms"
    return "$too_slow"
  fi
}

esc_pause_then_b_computes() {
  start C.UTF-8
  keys 'Nürnberg Hbf' Enter
  wait_for "Abgang: *Nürnberg Hbf"
  keys 'Bamberg' Enter
  wait_for "Ziel: *Bamberg"
  esc_pause_b 0.1
  wait_for "61 km"
  shows "Von: *Nürnberg Hbf"
  shows "Nach: *Bamberg"
  finish
}
case_esc_pause_then_b_computes() { with_tries esc_pause_then_b_computes; }

# Esc Esc is one Esc at once: it cancels the picker, and x typed right
# after it goes into the next field; had the second Esc begun a wait of
# its own, x would have been taken as Alt+X. In the main window Esc Esc
# ends the program.
case_esc_esc_acts_at_once() {
  start C.UTF-8
  keys bamb F2
  wait_for "Abgangsbahnhof eingeben"
  keys Escape Escape x
  wait_for "Ziel: *x  "
  shows "Abgang: *bamb  "
  finish
}

# A lone Esc acts when its second has run out, not sooner: the main window
# ends no earlier than a second after Esc was sent.
case_lone_esc_ends_after_its_second() {
  start C.UTF-8
  local t0 took
  t0=$(ms)
  keys Escape
  wait_for "ENDE=0"
  took=$(($(ms) - t0))
  echo "ended ${took} ms after Esc"
  [ "$took" -ge 1000 ] || { echo "a lone Esc acted before its second had run out"; return 1; }
}

case_alt_prefix_at_machine_speed() {
  start C.UTF-8
  keys 'Nürnberg Hbf' Enter 'Bamberg' Enter M-b
  wait_for "61 km"
  finish
}

# In the C locale: the letters a set lacks written out, the labels of the
# station fields in one column, the scroll bar drawn in ASCII.
case_c_locale() {
  start C
  wait_for "Ueber 1:"
  ! grep -q '?' <<<"$(screen)" || { echo "a '?' on the screen"; screen; return 1; }
  local label
  for label in "Ziel:" "Ueber 1:" "Ueber 2:" "Wegetext:"; do
    [ "$(col_of "$label")" = "$(col_of "Abgang:")" ] ||
      { echo "$label in column $(col_of "$label"), Abgang: in $(col_of "Abgang:")"; screen; return 1; }
  done
  keys 'Nuernberg Hbf' Enter 'Bamberg' Enter M-b
  wait_for "61 km"
  shows "Von: *Nuernberg Hbf"
  ! grep -q '?' <<<"$(screen)" || { echo "a '?' on the screen"; screen; return 1; }
  # The picker for "S": 19 names in 16 rows, the bar beside them, from an
  # arrow up at the first row to an arrow down at the last.
  keys M-a S F2
  wait_for "Abgangsbahnhof eingeben"
  wait_for "xSachsen (b Ansbach) *^x"
  wait_for "xSteinbach am Wald *vx"
  shows "xSchnabelwaid *#x"
  keys Escape Escape
  wait_for "Esc Esc=Ende"
  finish
}

# Key by key, with Esc, a pause and b for Alt+B, in the C locale and in a
# UTF-8 locale.
case_human_speed_in_both_locales() { with_tries human_speed_in_both_locales; }
human_speed_in_both_locales() {
  for loc in C C.UTF-8; do
    start "$loc"
    typed 'Nuernberg Hbf'
    keys Enter
    wait_for "Abgang: *N.*rnberg Hbf"
    typed 'Bamberg'
    keys Enter
    wait_for "Ziel: *Bamberg"
    esc_pause_b 0.2
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
  wait_for "Abgang: *Nürnberg Hbf"
  keys 'Bamberg' Enter M-b
  wait_for "61 km"
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

# While the terminal is too small, the message fits it word by word and
# says that Ctrl+C ends the program; enlarged, the dialog is as it was.
# Small again, a letter, Esc Esc and Alt+E are held: Ctrl+C typed after
# them ends the program with 130, not with the 0 of Esc Esc or Alt+E, so
# the keys before it were read and none of them acted.
case_too_small_holds_the_keys() {
  start C.UTF-8
  keys Lauf
  wait_for "Abgang: *Lauf"
  tmux -L "$sock" resize-window -t "$session" -x 30 -y 8
  wait_for "Das Terminal ist zu klein:"
  shows "Bitte vergrößern."
  shows "76 x 24 Zeichen"
  shows "Strg+C beendet das Programm."
  tmux -L "$sock" resize-window -t "$session" -x 80 -y 24
  wait_for "Abgang: *Lauf  "
  tmux -L "$sock" resize-window -t "$session" -x 60 -y 20
  wait_for "60 x 20"
  keys x Escape Escape M-e C-c
  ended_restored 130
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
  wait_gone "Schließen"
  local end=$((SECONDS + limit))
  until [ "$(cursor)" = "$before" ]; do
    [ "$SECONDS" -le "$end" ] || { echo "cursor $(cursor), was $before"; return 1; }
    sleep 0.1
  done
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
  # 89 rows: the scroll bar's thumb at the top; the selected row reversed
  # across the list's whole width, up to the bar.
  [[ "$(bar)" == ↑█*▒↓ ]] || { echo "bar at the top: $(bar)"; screen; return 1; }
  local line seg
  line=$(tmux -L "$sock" capture-pane -t "$session" -p -e | grep -m1 -F "Altdorf (b N")
  seg=${line#*$'\e[7m'}
  seg=${seg%%$'\e'*}
  [ "${#seg}" -eq $(($(col_of "↑") - $(col_of "Altdorf (b N"))) ] ||
    { echo "selection reversed over '$seg' only"; return 1; }
  keys End
  wait_for "Zirndorf"
  [[ "$(bar)" == ↑▒*█↓ ]] || { echo "bar at the end: $(bar)"; screen; return 1; }
  keys Home
  wait_for "Altdorf West"
  # The wheel over the list scrolls it (an xterm mouse report, wheel down),
  # and the thumb leaves the top.
  local row; row=$(row_of "Altdorf West")
  keys -l $'\e[<65;30;'"$row"'M'
  wait_gone "Altdorf West"
  [[ "$(bar)" == ↑▒█* ]] || { echo "bar after the wheel: $(bar)"; screen; return 1; }
  # A click on the track below the thumb scrolls a page, one on the arrow
  # up an entry: the entry on top before is then the second.
  local top; top=$(top_entry)
  click "$(col_of "↓")" "$(($(row_of "↓") - 1))"
  wait_gone "$top"
  top=$(top_entry)
  click "$(col_of "↑")" "$(row_of "↑")"
  wait_true top_moved "$top"
  screen | grep -A2 "Ziel  *km" | tail -1 | grep -q "x  $top " ||
    { echo "$top is not the second entry"; screen; return 1; }
  keys Home w
  wait_for "Weißenburg"
  keys Escape Escape
  wait_for "Esc Esc=Ende"
  finish
}

# The scroll bar's glyphs from top to bottom, and the entry on top of the
# 50 km list.
bar() { screen | grep -o -e '↑' -e '↓' -e '▒' -e '█' | tr -d '\n'; }
top_entry() { screen | grep -A1 "Ziel  *km" | tail -1 | sed -e 's/^ *x *x  //' -e 's/   *.*//'; }
top_moved() { [ "$(top_entry)" != "$1" ]; }
# A click of the left button at a column and row (from 1), as an xterm
# reports it: pressed, then released.
click() { keys -l $'\e[<0;'"$1;$2"'M' $'\e[<0;'"$1;$2"'m'; }

case_hint_line_fits_80_columns() {
  start C 100  # the C locale writes umlauts as two letters: the longest line
  local hint
  for keys in "" "Enter Enter Enter Enter"; do
    if [ -z "$keys" ]; then wait_for "Esc Esc=Ende"; else keys $keys; wait_for "Enter=Berechnen"; fi
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
  # Ctrl+C while the failure shows ends the program; nothing is written.
  keys C-c
  ended_restored 130
  [ ! -s "$d/druck" ] || { echo "druck was written"; return 1; }
  [ -z "$(ls "$d" | grep -v '^DM' | grep -v '^druck$')" ] || { echo "files left:"; ls -la "$d"; return 1; }
}

# Ctrl+C ends the program wherever it waits for a key, with status 130 and
# the terminal as it was: in the main window, in the picker, over a message
# box, in the system menu, in the 50 km list, in the printer's settings
# prompt, and right after Esc (which would end the main window with 0).
case_ctrl_c_ends_everywhere() {
  local where
  for where in main picker message menu list prompt esc; do
    echo "-- $where"
    start C.UTF-8
    case $where in
      main) keys Lauf; wait_for "Abgang: *Lauf" ;;
      picker) keys bamb F2; wait_for "Abgangsbahnhof eingeben" ;;
      message) keys M-b; wait_for "Bitte Abgang eingeben" ;;
      menu) keys F10; wait_for "Schließen" ;;
      list) keys 'Nürnberg Hbf' Enter M-s; wait_for "Vorschau" ;;
      prompt)
        keys 'Nürnberg Hbf' Enter 'Bamberg' Enter M-b
        wait_for "61 km"
        keys F3 M-d
        wait_for "Druckeinstellungen" ;;
      esc) keys Escape ;;
    esac
    keys C-c
    ended_restored 130
    [ ! -s "$work/stderr" ] || { echo "standard error:"; cat "$work/stderr"; return 1; }
  done
}

# Ctrl+C typed right after printing: the document is whole (the printout
# ends before the next key is read), and it is the only file in druck/.
case_ctrl_c_after_printing_leaves_the_document_whole() {
  local d; d=$(copy_data)
  start C.UTF-8 80 "$d"
  keys 'Nürnberg Hbf' Enter 'Bamberg' Enter M-b
  wait_for "61 km"
  keys M-d C-c
  ended_restored 130
  [ "$(ls -A "$d/druck" | wc -l)" -eq 1 ] || { echo "in druck/:"; ls -A "$d/druck"; return 1; }
  local f; f=$(ls "$d"/druck/*.pdf)
  tail -c 32 "$f" | grep -q '%%EOF' || { echo "$f does not end as a PDF does"; return 1; }
}

# The route text's rows end between two stations, in both locales and at
# several sizes: "Hof Hbf" is not torn.
case_route_text_rows_end_between_names() {
  local size loc
  for loc in C.UTF-8 C; do
    for size in 76x24 80x24 120x40; do
      echo "-- $loc $size"
      start "$loc" "${size%x*}" "$data" "${size#*x}"
      keys Probstzella Enter Crailsheim Enter Sonneberg Enter 'Hof Hbf' Enter M-b
      wait_for "454 km"
      local rows joined
      rows=$(screen | grep -A3 "Wegetext:" | sed -e 's/^ *x//' -e 's/x *$//' -e 's/Wegetext://' \
             -e 's/^ *//' -e 's/ *$//' | grep -v '^$')
      joined=$(tr -d '\n' <<<"$rows")
      [ "$joined" = "Sonneberg (Th$( [ $loc = C ] && echo ue || echo ü)r) Hbf*Lichtenfels*Hochstadt-Marktzeuln*Hof Hbf*Marktredwitz*Ansbach" ] ||
        { echo "route text shown: '$joined'"; screen; return 1; }
      [ "$(wc -l <<<"$rows")" -ge 2 ] || { echo "on one row: $rows"; return 1; }
      ! head -n -1 <<<"$rows" | grep -qv '\*$' || { echo "a row ends inside a name:"; echo "$rows"; return 1; }
      finish
    done
  done
}

# An unknown terminal type: the program's own start-up report, naming the
# type, exit status 1, and the terminal as it was.
case_unknown_terminal_type_is_reported() {
  launch C.UTF-8 80 "$data" 24 nonexistentterm
  ended_restored 1
  on_stderr 'zolma: Fehler bei der Initialisierung: unbekannter Terminaltyp "nonexistentterm"'
  [ "$(wc -l <"$work/stderr")" -eq 1 ] || { echo "standard error:"; cat "$work/stderr"; return 1; }
}

# A locale that is not installed: the program runs in ASCII, as in the C
# locale, and says so on standard error; a normal end keeps exit status 0.
case_uninstalled_locale_runs_in_ascii() {
  start de_XX.UTF-8
  wait_for "Ueber 1:"
  keys 'Nuernberg Hbf' Enter 'Bamberg' Enter M-b
  wait_for "61 km"
  shows "Von: *Nuernberg Hbf"
  finish
  on_stderr 'zolma: Warnung: die Spracheinstellung LANG=de_XX.UTF-8 ist auf diesem System nicht eingerichtet'
}

cases=(
  esc_pause_then_b_computes
  esc_esc_acts_at_once
  lone_esc_ends_after_its_second
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
  ctrl_c_ends_everywhere
  ctrl_c_after_printing_leaves_the_document_whole
  route_text_rows_end_between_names
  unknown_terminal_type_is_reported
  uninstalled_locale_runs_in_ascii
)
# ONLY="case ..." runs the cases named.
[ -z "${ONLY:-}" ] || read -r -a cases <<<"$ONLY"
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
