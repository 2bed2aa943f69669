#!/usr/bin/env bash
# A forecourt over pseudo-terminals: sbsim serves 8 points on 2 lines at 9600 bit/s, point 8 silent. sbhost
# starts a delivery on point 3 (its customer has lifted nozzle 2) and then monitors points 1..7 until it ends;
# status on point 8 must say it does not answer and exit 3. The trace log of the run must decode with every
# frame named, the recorded log must decode to its recorded form, and the report drawn from it must render, as
# must one of a recording with outages and an interrupted delivery. A second sbhost on a line the monitor holds
# must be refused, and sbsim must end when its input closes.
# Usage: forecourt.sh SBSIM SBHOST DATA_DIR
set -euo pipefail
sbsim=$1
sbhost=$2
data=$3

work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  for f in "$work"/*.out "$work"/*.err; do echo "--- $f"; tail -20 "$f"; done
  exit 1
}
export SBDRIVER_CONFIG_DIR=$work
started=$SECONDS
# The trace log is written beside the program: a copy of its own keeps this run's log apart.
cp "$sbhost" "$work/sbhost"

coproc SIM { exec "$sbsim" --points 8 --lines 2 --baud 9600 --flow 40 --fault 8:silence=on 2>"$work/sim.err"; }
sim_pid=$SIM_PID
exec {sim_out}<&"${SIM[0]}" {sim_in}>&"${SIM[1]}"
declare -A pty
while read -t 5 -r word point _ line path <&"$sim_out"; do
  [ "$word" = ready ] && break
  [ "$line" = A ] || [ "$line" = B ] || fail "sbsim told \"$word $point $line\""
  pty[$point]=$path
done
[ "${#pty[@]}" -eq 8 ] || fail "sbsim served ${#pty[@]} points, not 8"
lines=()
for point in 1 2 3 4 5 6 7; do lines+=(--line "$point=${pty[$point]}"); done
echo "3 lift 2" >&"$sim_in"
echo "6 lift 1" >&"$sim_in"

"$work/sbhost" --json "${lines[@]}" --point 3 price 2 45.90 preset-volume 2 start 2 monitor 8 \
  >"$work/monitor.out" 2>"$work/monitor.err" &
monitor_pid=$!
sleep 1
! "$work/sbhost" --line "3=${pty[3]}" status >"$work/second.out" 2>&1 || fail "a second sbhost opened line 3"
grep -q "in use by another program" "$work/second.out" || fail "the second sbhost did not say why it failed"
wait "$monitor_pid" || fail "the monitor ended with $?"
last=$(grep '"refresh":8,' "$work/monitor.out") || fail "the monitor drew no 8th table"
[ "$(grep -c '"answered":true' <<<"$last")" -eq 7 ] || fail "not every point answered: $last"
grep -q '"point":3,"code":"D2".*"volume":2.00' <<<"$last" || fail "point 3 did not stop at its 2 litres: $last"
grep -q '"point":6,"code":"E1"' <<<"$last" || fail "point 6 does not show nozzle 1 up: $last"

status=0
"$work/sbhost" --line "8=${pty[8]}" status >"$work/silent.out" 2>&1 || status=$?
[ "$status" -eq 3 ] || fail "status of the silent point 8 exited $status, not 3"
grep -q "point 8: NO ANSWER" "$work/silent.out" || fail "status did not say that point 8 does not answer"

# A host that dies closes sbsim's input, and the forecourt ends with it.
exec {sim_in}>&-
eval "exec ${SIM[1]}>&-"
for _ in {1..50}; do kill -0 "$sim_pid" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$sim_pid" 2>/dev/null || fail "sbsim served on after its input closed"
wait "$sim_pid" || fail "sbsim did not end cleanly when its input closed"
sim_pid=""

"$work/sbhost" decode "$work/sbhost.pro" >"$work/decoded.out" || fail "the run's trace log did not decode"
! grep -qE "unknown|not understood" "$work/decoded.out" || fail "frames left unnamed: $(grep -E "unknown|not understood" "$work/decoded.out" | head -3)"
"$work/sbhost" decode "$data/recorded.pro" | diff -u "$data/recorded.decoded" - >"$work/diff.out" ||
  fail "the recorded log no longer decodes to its recorded form (see diff.out)"
# A fraction is a fraction; --to takes in the whole second or minute it names; an empty range or a bad time is
# refused by name.
span=$("$work/sbhost" decode "$data/recorded.pro" --from 12:56:28.9 --to 12:56:29 |
  sed -n '1s/ .*//p;$s/ .*//p' | xargs)
[ "$span" = "12:56:29.008 12:56:29.983" ] || fail "--from 12:56:28.9 --to 12:56:29 gave $span"
[ "$("$work/sbhost" decode "$data/recorded.pro" --from 12:56 --to 12:56 | wc -l)" -eq 161 ] || fail "--to 12:56"
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
grep -q '"date":"2024-05-01",.*"deliveries":1,"interrupted":1,"outages":5,' "$work/outage.out" &&
  grep -q "point 1: no answer 16:53:36.993–16:53:38.430, 15 exchanges</li>" "$work/outage.html" &&
  grep -q "point 2: bad block check 2, wait 1 16:53:39.746–16:53:39.840, 3 exchanges</li>" "$work/outage.html" &&
  grep -q "point 2: NAK 16:53:40.725, 1 exchange</li>" "$work/outage.html" &&
  grep -q "exchanges on 2024-05-01 from 16:53:33.962" "$work/outage.html" &&
  [ "$(grep -o "<polyline" "$work/outage.html" | wc -l)" -eq 2 ] || fail "outages: $(cat "$work/outage.out")"
bash "$(dirname "$0")/render_svgs.sh" "$work/outage.html" "$work/outage-png" >/dev/null || fail "outages do not render"
"$work/sbhost" --json report "$data/outage.capture" --point 2 --from 16:53:40 --to 16:53:40 --out "$work/scope.html" |
  grep -q '"points":1,"deliveries":0,"interrupted":0,"outages":2,' || fail "report --point 2 --from --to"
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
echo "forecourt of 8 points on 2 lines monitored, silent point told, logs decoded, report rendered in $((SECONDS - started)) s"
