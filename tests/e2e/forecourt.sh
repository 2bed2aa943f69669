#!/usr/bin/env bash
# A forecourt over pseudo-terminals: sbsim serves 8 points on 2 lines at 9600 bit/s, point 8 silent, point 2
# answering "wait" to every poll, line B (points 5..8) hit by noise. sbhost starts a delivery on point 3 (its
# customer has lifted nozzle 2) and then monitors points 1..7 and a point 9 whose device does not exist, with the
# events written to a file; a delivery typed into the monitor runs on point 1 until the point falls silent. The
# monitor's JSON must tell each point's trouble apart and its exit name the points that did not answer; status
# on point 8 must say it does not answer and exit 3. The trace log of the run must decode with every
# frame named, the recorded log must decode to its recorded form, and the report drawn from it must render, as
# must one of a recording with outages and an interrupted delivery. A second sbhost on a line the monitor holds
# must be refused, and sbsim must end when its input closes.
# Usage: forecourt.sh SBSIM SBHOST DATA_DIR
set -euo pipefail
sbsim=$1
sbhost=$2
data=$3

# shellcheck source=tests/e2e/scratch.sh
source "$(dirname "$0")/scratch.sh"
# The driver at sbsim's speed.
printf '[SB]\r\nBaud=9600\r\n' >"$work/cnf.INI"
started=$SECONDS
# The trace log is written beside the program: a copy of its own keeps this run's log apart.
cp "$sbhost" "$work/sbhost"

coproc SIM {
  exec "$sbsim" --points 8 --lines 2 --baud 9600 --flow 40 --fault 8:silence=on --fault 2:wait=on --fault B:noise=on \
    2>"$work/sim.err"
}
sim_pid=$SIM_PID
exec {sim_out}<&"${SIM[0]}" {sim_in}>&"${SIM[1]}"
declare -A pty
while read -t "$patience" -r word point _ line path <&"$sim_out"; do
  [ "$word" = ready ] && break
  [ "$line" = A ] || [ "$line" = B ] || fail "sbsim told \"$word $point $line\""
  pty[$point]=$path
done
[ "${#pty[@]}" -eq 8 ] || fail "sbsim served ${#pty[@]} points, not 8"
lines=()
for point in 1 2 3 4 5 6 7; do lines+=(--line "$point=${pty[$point]}"); done
lines+=(--line "9=$work/no-such-device")
for customer in "3 lift 2" "4 lift 1" "1 lift 1"; do echo "$customer" >&"$sim_in"; done

mkfifo "$work/monitor.in"
# sbsim answers as soon as it is scheduled: the monitor waits for that as long as a busy machine may take.
"$work/sbhost" --json "${lines[@]}" --turnaround "$turnaround" --point 3 price 2 45.90 preset-volume 2 start 2 \
  monitor --events "$work/events.out" <"$work/monitor.in" >"$work/monitor.out" 2>"$work/monitor.err" &
host_pid=$!
exec {monitor_in}>"$work/monitor.in"
echo "1 authorise 1 45.90 30" >&"$monitor_in"
# The monitor's latest object for point $1.
latest() { grep "\"event\":\"monitor\".*\"point\":$1," "$work/monitor.out" | tail -1; }
# The monitor's latest object for point $1 matches every pattern after it.
shows() {
  local row
  row=$(latest "$1") || return 1
  shift
  for pattern; do grep -qE "$pattern" <<<"$row" || return 1; done
}
await() { eventually shows "$@" || fail "point $1 never showed ${*:2}: $(latest "$1")"; }
await 3 '"code":"D2"' '"volume":2\.00' '"figures":"read"'
# The monitor holds point 3's line now.
! "$work/sbhost" --line "3=${pty[3]}" status >"$work/second.out" 2>&1 || fail "a second sbhost opened line 3"
grep -q "in use by another program" "$work/second.out" || fail "the second sbhost did not say why it failed"
await 4 '"code":"E1"' '"answered":true'
await 1 '"code":"D9"' '"volume":[1-9]'
echo "1 silence on" >&"$sim_in"
# Silent mid-delivery: the code it last reported, the figures last read marked stale.
await 1 '"condition":"no answer"' '"code":"D9"' '"figures":"stale"' '"volume":[1-9]' '"latest_fault":"no_answer"'
await 2 '"condition":"failed"' '"failure":"Невозможно перевести ТРК в режим приема"' '"wait":\{"count":[1-9]' \
  '"driver_failure":\{"count":[1-9]'
for point in 5 6 7; do await "$point" '"answered":false' '"noise":\{"count":[1-9]'; done
await 9 '"condition":"device missing"' '"device_error":"cannot open [^"]*no-such-device: No such file or directory"'
echo q >&"$monitor_in"
status=0
wait "$host_pid" || status=$?
host_pid=""
[ "$status" -eq 3 ] || fail "the monitor ended with $status, not 3"
# The monitor names at its end the points its last table shows not answering: each trouble set up above, and any
# point a busy machine kept from answering in that round.
last=$(grep -o '"event":"monitor","time":"[^"]*","refresh":[0-9]*' "$work/monitor.out" | tail -1 | sed 's/.*://')
unanswered=""
for point in 1 2 3 4 5 6 7 9; do
  grep "\"refresh\":$last,.*\"point\":$point," "$work/monitor.out" |
    grep -qE '"condition":"(starting|no answer|device missing)"' && unanswered+=" $point"
done
named=$(sed -n 's/^sbhost: did not answer at the end: //p' "$work/monitor.err")
[[ ${unanswered# } =~ ^1( [2-4])*" 5 6 7 9"$ ]] &&
  [ "$(grep -oE 'point [0-9]+' <<<"$named" | cut -d' ' -f2 | xargs)" = "${unanswered# }" ] &&
  [[ $named == "point 1 (no answer), "*"point 9 (device missing)" ]] ||
  fail "the monitor did not name the points that did not answer (${unanswered# }): $(cat "$work/monitor.err")"
# The events file: each fault as it came and each change of state, with its time; what was typed.
grep -qE '^\{"event":"fault","time":"[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]{12}","line":"[^"]*","point":2,"kind":"wait"' \
  "$work/events.out" || fail "no wait fault of point 2 among the events"
grep '"event":"monitor"' "$work/events.out" | grep '"point":1,' | tail -1 | grep -q '"condition":"no answer"' ||
  fail "point 1 falling silent is not the last of its events"
# A state is written when it changes: no two of point 4's objects in a row tell the same one.
repeated=$(grep '"event":"monitor".*"point":4,' "$work/events.out" |
  awk '{ match($0, /"condition":"[^"]*","code":"[^"]*","meaning":"[^"]*"/); state = substr($0, RSTART, RLENGTH)
         if (match($0, /"latest_fault":"[^"]*"/)) state = state substr($0, RSTART, RLENGTH)
         print state }' | uniq -d)
[ -z "$repeated" ] || fail "point 4 has an event without a change: $repeated"
grep -q '"event":"authorise","point":1,"grade":1,"price":45.90,"preset_volume":30.00' "$work/events.out" ||
  fail "the delivery typed into the monitor is not among the events"

status=0
"$work/sbhost" --line "8=${pty[8]}" status >"$work/silent.out" 2>&1 || status=$?
[ "$status" -eq 3 ] || fail "status of the silent point 8 exited $status, not 3"
grep -q "point 8: NO ANSWER" "$work/silent.out" || fail "status did not say that point 8 does not answer"

# A host that dies closes sbsim's input, and the forecourt ends with it.
exec {sim_in}>&-
eval "exec ${SIM[1]}>&-"
sim_ended() { ! kill -0 "$sim_pid" 2>/dev/null; }
eventually sim_ended || fail "sbsim served on after its input closed"
wait "$sim_pid" || fail "sbsim did not end cleanly when its input closed"
sim_pid=""

"$work/sbhost" decode "$work/sbhost.pro" >"$work/decoded.out" || fail "the run's trace log did not decode"
# Only the noise on line B's points makes frames that are none.
unnamed=$(grep -E "unknown|not understood" "$work/decoded.out" | grep -vE "^([0-9:.]+)? +[5-7] " | head -3) || true
[ -z "$unnamed" ] || fail "frames left unnamed: $unnamed"
"$work/sbhost" decode "$data/recorded.pro" | diff -u "$data/recorded.decoded" - >"$work/diff.out" ||
  fail "the recorded log no longer decodes to its recorded form (see diff.out)"
# A fraction is a fraction; --to takes in the whole second or minute it names; an empty range or a bad time is
# refused by name.
span=$("$work/sbhost" decode "$data/recorded.pro" --from 12:56:28.9 --to 12:56:29 |
  sed -n '1s/ .*//p;$s/ .*//p' | xargs)
[ "$span" = "12:56:29.008 12:56:29.983" ] || fail "--from 12:56:28.9 --to 12:56:29 gave $span"
[ "$("$work/sbhost" decode "$data/recorded.pro" --from 12:56 --to 12:56 | wc -l)" -eq 160 ] || fail "--to 12:56"
! "$work/sbhost" decode "$data/recorded.pro" --from 12:57 --to 12:56 2>"$work/range.err" >/dev/null &&
  grep -q "from 12:57 is after --to 12:56" "$work/range.err" || fail "an empty range was not refused"
! "$work/sbhost" report "$data/recorded.pro" --out 2>"$work/out.err" && grep -q "out wants" "$work/out.err" ||
  fail "report --out without a file was not named"
head -n 60 "$data/recorded.pro" >"$work/interrupted.pro"  # delivering, its figures not read yet
"$work/sbhost" --json report "$work/interrupted.pro" --out "$work/interrupted.html" |
  grep -q '"deliveries":1,"interrupted":1,' || fail "a delivery whose figures were never read is not interrupted"
head -n 6 "$data/recorded.pro" >"$work/cut.pro"  # ends with a send
"$work/sbhost" decode "$work/cut.pro" | tail -1 | grep -q "> ack 0  < the recording ends before the answer$" ||
  fail "a log cut after a send does not say so: $("$work/sbhost" decode "$work/cut.pro" | tail -1)"
# A junk line before two copies of the log: the line skipped and the time running back are told.
{ echo "junk before the log"; cat "$data/recorded.pro" "$data/recorded.pro"; } >"$work/junk.pro"
"$work/sbhost" decode "$work/junk.pro" 2>"$work/junk.err" >/dev/null
grep -q "1 line not understood, skipped (the first is line 1)$" "$work/junk.err" &&
  grep -q "time runs backwards once, first at line 233 (from 12:56:31.002 to 12:56:23.397)" "$work/junk.err" ||
  fail "decode did not tell the line it skipped or the time running back: $(cat "$work/junk.err")"
"$work/sbhost" --json report "$work/junk.pro" --out "$work/junk.html" 2>/dev/null |
  grep -q '"skipped_lines":1,"backward_steps":1}' || fail "report did not tell the line skipped or the time running back"
"$work/sbhost" --json decode "$data/recorded.pro" >"$work/decoded.json"
! grep -qvE '^\{"event":"(exchange|note|failure)",' "$work/decoded.json" ||
  fail "decode --json wrote an object without its event"
mkdir "$work/HOST.pro.0"
cp "$data/recorded.pro" "$work/HOST.pro"
"$work/sbhost" report "$work/HOST.pro" --out "$work/set.html" >"$work/set.out" 2>&1
grep -q "HOST.pro.0 is a directory" "$work/set.out" || fail "report did not tell the directory among the copies"
for command in decode report; do
  status=0
  "$work/sbhost" "$command" "$data" >"$work/dir.out" 2>&1 || status=$?
  [ "$status" -eq 1 ] && grep -q "is a directory" "$work/dir.out" || fail "$command of a directory exited $status"
done

"$work/sbhost" report "$data/recorded.pro" --out "$work/report.html" >"$work/report.out" || fail "no report"
grep -q "1 deliveries (0 interrupted)" "$work/report.out" || fail "report: $(cat "$work/report.out")"
bash "$(dirname "$0")/render_svgs.sh" "$work/report.html" "$work/png" || fail "a picture of the report does not render"
# Outages: point 1 silent twice mid-delivery, its curve broken across the first and its delivery interrupted by
# the second; point 2's faults each named. The file's time just after its last line dates it.
cp "$data/outage.capture" "$work/outage.capture"
touch -d "2024-05-01 16:53:42" "$work/outage.capture"
"$work/sbhost" --json report "$work/outage.capture" --out "$work/outage.html" >"$work/outage.out" || fail "no outage report"
grep -q '"date":"2024-05-01",.*"deliveries":1,"interrupted":1,"outages":4,' "$work/outage.out" &&
  grep -q "point 1: no answer 16:53:36.993–16:53:38.430, 15 exchanges</li>" "$work/outage.html" &&
  grep -q "point 2: bad block check 2, wait 1 16:53:39.746–16:53:39.840, 3 exchanges</li>" "$work/outage.html" &&
  grep -q "point 2: NAK 1, refused 1 16:53:40.725–16:53:40.842, 2 exchanges</li>" "$work/outage.html" &&
  grep -q "exchanges on 2024-05-01 from 16:53:33.962" "$work/outage.html" &&
  [ "$(grep -o "<polyline" "$work/outage.html" | wc -l)" -eq 2 ] || fail "outages: $(cat "$work/outage.out")"
bash "$(dirname "$0")/render_svgs.sh" "$work/outage.html" "$work/outage-png" >/dev/null || fail "outages do not render"
# Every kind of fault on the line is drawn where it came, named on its hatching; outages between single good
# answers are one, the longest listed first.
"$work/sbhost" report "$data/faults.pro" --out "$work/faults.html" >/dev/null || fail "no report of faults.pro"
for mark in "NAK 16:53:40.725–16:53:40.779" "no answer 16:53:36.993–16:53:38.652"; do
  grep -q "<title>$mark</title>" "$work/outage.html" || fail "outage.capture: $mark not drawn"
done
for mark in "refused 23:24:51.143–23:24:51.206" "bad block check 23:24:52.085–23:24:52.206" \
  "line noise 23:24:52.669–23:24:52.833" "wait 23:24:57.212–23:24:57.275"; do
  grep -q "<title>$mark</title>" "$work/faults.html" || fail "faults.pro: $mark not drawn"
done
grep -o "<li>point 1: [^<]*</li>" "$work/faults.html" | head -1 |
  grep -q "bad block check 3, line noise 1 23:24:52.085–23:24:52.669, 4 exchanges" ||
  fail "faults.pro's outages: $(grep -o "<li>[^<]*</li>" "$work/faults.html")"
"$work/sbhost" --json report "$data/outage.capture" --point 2 --from 16:53:40 --to 16:53:40 --out "$work/scope.html" |
  grep -q '"points":1,"deliveries":0,"interrupted":0,"outages":1,' || fail "report --point 2 --from --to"
# The driver's rotated copies, oldest first, read as one log.
sed -n 1,80p "$data/recorded.pro" >"$work/rotated.pro.1"
sed -n 81,160p "$data/recorded.pro" >"$work/rotated.pro.0"
sed -n '161,$p' "$data/recorded.pro" >"$work/rotated.pro"
"$work/sbhost" --json report "$work/rotated.pro" | grep -q '"files":3,.*"deliveries":1,.*"exchanges":85,"skipped_lines":0,"backward_steps":0}' ||
  fail "the rotated copies were not read as one log"
printf '[point 1]\nnozzles = 3\ngrades = 2 3\n' >"$work/forecourt.cfg"
status=0
"$sbsim" --config "$work/forecourt.cfg" </dev/null 2>"$work/cfg.err" || status=$?
[ "$status" -eq 2 ] && grep -q "forecourt.cfg:3: point 1 has 3 nozzles, and grades names 2" "$work/cfg.err" ||
  fail "sbsim took a point with 3 nozzles and 2 grades: $status $(cat "$work/cfg.err")"
echo "forecourt of 8 points on 2 lines monitored through its faults, silent point told, logs decoded, report rendered in $((SECONDS - started)) s"
