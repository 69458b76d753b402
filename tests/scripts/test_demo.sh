#!/usr/bin/env bash
# The demo till, the notification tool and the journal tool from the command line: a screenshot of
# the map on a temporary venue (asked for, and automatic without a display), one notification sent,
# and the journal of that venue printed. Arguments: source dir, build dir.
set -euo pipefail
build=${2:?build dir}
demo="$build/qrvtavoli-demo"
notify="$build/qrvtavoli-notify"
journal="$build/qrvtavoli-journal"
for exe in "$demo" "$notify" "$journal"; do [ -x "$exe" ] || { echo "missing $exe"; exit 1; }; done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Width x height of a PNG, from its header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }
# A port of our own, so that parallel runs and a running till do not meet.
port=$(( 20000 + RANDOM % 20000 ))

# 1. --screenshot on a new venue: the venue is created, the PNG written and named.
out=$(QT_QPA_PLATFORM=offscreen "$demo" --data "$tmp/data" --port "$port" --screenshot "$tmp/map.png" 2>"$tmp/err1")
[ -s "$tmp/map.png" ] || fail "no PNG written; stderr: $(cat "$tmp/err1")"
echo "$out" | grep -q "\"screenshot\":\"$tmp/map.png\"" || fail "output does not name the PNG: $out"
[ -f "$tmp/data/venue.sqlite" ] || fail "no demo venue created"
# Offscreen without a screen configuration: a till's 1366 x 768 screen, not the platform's 800 pixels.
[ "$(png_size "$tmp/map.png")" = 1366x768 ] || fail "map rendered at $(png_size "$tmp/map.png")"
# A screen configuration given on the command line is kept.
echo '{"screens": [{"name": "S", "x": 0, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96}]}' >"$tmp/screen.json"
"$demo" -platform "offscreen:configfile=$tmp/screen.json" --data "$tmp/data" --screenshot "$tmp/own.png" \
  >/dev/null 2>&1 || fail "the till did not render with its own screen configuration"
[ "$(png_size "$tmp/own.png")" = 1024x768 ] || fail "own configuration ignored: $(png_size "$tmp/own.png")"

# 2. The same venue through --db, with a table preselected.
out=$(QT_QPA_PLATFORM=offscreen "$demo" --data "$tmp/data2" --db "sqlite:$tmp/data/venue.sqlite" --table 4 \
      --screenshot "$tmp/table.png" 2>"$tmp/err2")
[ -s "$tmp/table.png" ] || fail "no PNG for --db; stderr: $(cat "$tmp/err2")"
QT_QPA_PLATFORM=offscreen "$demo" --data "$tmp/data" --context 2 --screenshot "$tmp/edit.png" >/dev/null 2>&1 \
  && [ -s "$tmp/edit.png" ] || fail "the layout-editing context did not render"
[ ! -e "$tmp/data2/venue.sqlite" ] || fail "--db must not create the default venue"

# 3. Without a display the till says so, renders the map and exits 0.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$demo" --data "$tmp/data" 2>"$tmp/err3")
file=$(echo "$out" | sed -n 's/.*"screenshot":"\([^"]*\)".*/\1/p')
[ -n "$file" ] && [ -s "$file" ] || fail "headless run named no PNG: $out / $(cat "$tmp/err3")"
[ "$(png_size "$file")" = 1366x768 ] || fail "headless map rendered at $(png_size "$file")"
grep -qi "display" "$tmp/err3" || fail "headless run did not say why: $(cat "$tmp/err3")"

# 4. Bad options are refused.
! QT_QPA_PLATFORM=offscreen "$demo" --data "$tmp/data" --context 7 --screenshot "$tmp/x.png" 2>/dev/null \
  || fail "--context 7 accepted"

# 5. The notification tool sends one datagram, and refuses a bad call.
"$notify" --port "$port" '12;15;18' || fail "notify failed"
"$notify" --host 127.0.0.1 '7' || fail "notify with the default port failed"
if command -v python3 >/dev/null; then
  # What arrives is exactly the payload given.
  python3 - "$notify" "$port" <<'PY' || fail "the datagram did not arrive as sent"
import socket, subprocess, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 0))
s.settimeout(10)
subprocess.run([sys.argv[1], "--port", str(s.getsockname()[1]), " 12;15;18 "], check=True)
data, _ = s.recvfrom(65536)
sys.exit(0 if data == b" 12;15;18 " else 1)
PY
fi
! "$notify" --port 0 '12' 2>/dev/null || fail "port 0 accepted"
! "$notify" 2>/dev/null || fail "no tables accepted"

# 6. The journal tool on the demo venue, which keeps a journal: empty, then one move as a table and
# as JSON, filtered by table and time; a bad address, a venue without a journal, a bad time refused.
venue="sqlite:$tmp/data/venue.sqlite"
[ "$("$journal" --db "$venue" | tail -1)" = "0 changes" ] || fail "the empty journal: $("$journal" --db "$venue")"
if command -v python3 >/dev/null; then
  python3 - "$tmp/data/venue.sqlite" "$tmp/plain.sqlite" <<'PY' || fail "cannot write the journal row"
import sqlite3, sys
with sqlite3.connect(sys.argv[1]) as db:
    db.execute("INSERT INTO RegistroTavoli (Momento, Cassa, Operazione, CodiceDa, NumeroDa, CodiceA, NumeroA, "
               "Righe, Totale, Descrizione) VALUES ('2026-12-04 22:09:05.123', '2', 'SPOSTA', 1, '1', 5, '5', "
               "'3;4;', 19.5, 'Rossi')")
with sqlite3.connect(sys.argv[2]) as db:
    db.execute("CREATE TABLE Tavoli (Codice INTEGER PRIMARY KEY)")
PY
  table=$("$journal" --db "$venue" --table 5)
  echo "$table" | grep -Eq '^1 +2026-12-04 22:09:05.123 +2 +SPOSTA +1 \[1\] +5 \[5\] +3;4; +19.50 +Rossi$' \
    || fail "the journal as a table: $table"
  json=$("$journal" --db "$venue" --json --since 2026-12-04T22:09)
  [ "$json" = '{"Cassa":"2","CodiceA":5,"CodiceDa":1,"Descrizione":"Rossi","ID":1,"Momento":"2026-12-04 22:09:05.123","NumeroA":"5","NumeroDa":"1","Operazione":"SPOSTA","Righe":[3,4],"Totale":19.5}' ] \
    || fail "the journal as JSON: $json"
  [ -z "$("$journal" --db "$venue" --json --table 7)" ] || fail "--table 7 found the move of 1 to 5"
  [ -z "$("$journal" --db "$venue" --json --since '2026-12-04 22:10')" ] || fail "--since let an earlier move through"
  out=$("$journal" --db "sqlite:$tmp/plain.sqlite" 2>&1 || true)
  [[ "$out" == *"no table RegistroTavoli"* ]] || fail "a venue without a journal: $out"
fi
out=$("$journal" --db "sqlite:$tmp/none.sqlite" 2>&1 || true)
[[ "$out" == *"no database file"* ]] || fail "a missing database file: $out"
[ ! -e "$tmp/none.sqlite" ] || fail "the journal tool created a database"
set +e
"$journal" --db "$venue" --since 04/12/2026 >/dev/null 2>&1; [ $? -eq 2 ] || fail "a bad --since accepted"
"$journal" --db "nosuch:x" >/dev/null 2>&1; [ $? -eq 1 ] || fail "a bad address accepted"
set -e
echo "PASS"
