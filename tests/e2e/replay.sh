#!/usr/bin/env bash
# Field incidents replayed by sbhost replay against today's driver. The committed recordings replay identically,
# in process, as a rotated set and over ptys with sbsim --replay. phantom-sale.pro was recorded with the driver as
# it was before its money mends (a delivery of 1.50 l, the nozzle hung up, a START of 5 l whose nozzle was never
# used, slot 9 read four times, then slot 6): that driver handed the previous sale over as the new one. Today's
# refuses it with the same transmissions (it waits for the dispenser once per START, as that driver did), so the
# recording replays identically on the wire; the mend shows in the figures and the driver's lock lines, which the
# log does not hold as results. start-lost.pro, recorded with that old driver too, guards the mend of a START lost
# on the line.
# Usage: replay.sh SBSIM SBHOST DATA_DIR
set -euo pipefail
sbsim=$1
sbhost=$2
data=$3

# shellcheck source=tests/e2e/scratch.sh
source "$(dirname "$0")/scratch.sh"
started=$SECONDS
# The replayed driver writes its trace log beside the program: a copy of its own keeps it apart.
cp "$sbhost" "$work/sbhost"

"$work/sbhost" replay "$data/recorded.pro" >"$work/recorded.out" 2>"$work/recorded.err" ||
  fail "recorded.pro did not replay identically"
grep -q "^identical: 8 calls on 2 points, 85 exchanges and 4 results as recorded$" "$work/recorded.out" ||
  fail "recorded.pro: $(cat "$work/recorded.out")"

# A sale under refusals, waits, corrupted blocks and line noise: the driver writes a refusal between the send and
# the reception of its exchange, and a corrupted block comes again after the driver's NAK.
"$work/sbhost" replay "$data/faults.pro" >"$work/faults.out" 2>"$work/faults.err" ||
  fail "faults.pro did not replay identically: $(tail -3 "$work/faults.out")"
grep -q "^identical: 26 calls on 1 point, 156 exchanges and 18 results as recorded$" "$work/faults.out" ||
  fail "faults.pro: $(cat "$work/faults.out")"

# The phantom sale: the same transmissions as the recording's.
"$work/sbhost" replay "$data/phantom-sale.pro" >"$work/phantom.out" 2>"$work/phantom.err" ||
  fail "the phantom sale did not replay identically: $(tail -3 "$work/phantom.out")"
grep -q "^identical: 22 calls on 1 point, 167 exchanges and 13 results as recorded$" "$work/phantom.out" ||
  fail "phantom-sale.pro: $(cat "$work/phantom.out")"

# A START lost on the line (every block refused), recorded with the driver before its mend: that driver went on as
# if the pump were authorised, today's raises "Can't Start" at once, so its call ends where the recording's polls on.
status=0
"$work/sbhost" replay "$data/start-lost.pro" >"$work/start-lost.out" 2>"$work/start-lost.err" || status=$?
[ "$status" -eq 4 ] || fail "the lost START replayed with exit code $status, not 4"
diff -u - <(tail -n 3 "$work/start-lost.out") >"$work/diff.out" <<'TEXT' || fail "the lost START's difference (see diff.out)"
differs: point 1, start (slot 19) at 17:45:08.759, line 208 "START(1)", its exchange 22:
  recording  17:45:10.909  1  > poll  < EOT (line result 1)
  driver     the call ends here
TEXT

# The same as a rotated set, oldest copy first: one recording, its lines named by file.
lines=$(wc -l <"$data/phantom-sale.pro")
head -n 300 "$data/phantom-sale.pro" >"$work/HOST.pro.1"
sed -n "301,450p" "$data/phantom-sale.pro" >"$work/HOST.pro.0"
tail -n $((lines - 450)) "$data/phantom-sale.pro" >"$work/HOST.pro"
"$work/sbhost" --json replay "$work/HOST.pro" >"$work/rotated.out" 2>"$work/rotated.err" ||
  fail "the rotated set did not replay identically: $(tail -1 "$work/rotated.out")"
grep -q '"result":"identical","calls":22,"points":1,"exchanges":167,"results":13' "$work/rotated.out" ||
  fail "the rotated set: $(tail -1 "$work/rotated.out")"
grep -q "HOST.pro and 2 rotated copies before it, read as one recording" "$work/rotated.err" ||
  fail "the rotated set was not told"

# Converted copies are read as the driver wrote them, and told: doubled line ends, UTF-8. A garbage copy and a
# directory in the set are told, not skipped in silence; an empty log is no capture to play with sbsim.
sed 's/\r$/\r\r/' "$data/recorded.pro" >"$work/crcr.pro"
iconv -f CP1251 -t UTF-8 "$data/recorded.pro" >"$work/utf8.pro"
for name in crcr utf8; do
  "$work/sbhost" replay "$work/$name.pro" >"$work/$name.out" 2>"$work/$name.err" &&
    grep -q "^identical: 8 calls" "$work/$name.out" || fail "$name.pro: $(tail -1 "$work/$name.out")"
done
grep -q "230 line(s) end in CR CR LF (the first at line 1)" "$work/crcr.err" &&
  grep -q "131 line(s) in UTF-8, not the driver's Windows-1251 (the first at line 3)" "$work/utf8.err" ||
  fail "the converted copies were not told: $(cat "$work/crcr.err" "$work/utf8.err")"
mkdir -p "$work/set/HOST.pro.0"
cp "$data/recorded.pro" "$work/set/HOST.pro"
head -c 2000 /dev/zero | tr '\0' 'x' | fold -w 50 >"$work/set/HOST.pro.1"
"$work/sbhost" replay "$work/set/HOST.pro" >/dev/null 2>"$work/set.err" || true
grep -q "HOST.pro.0 is a directory, not a copy of the log: left out" "$work/set.err" &&
  grep -q "HOST.pro.1 holds neither the driver's trace log nor a hex capture: passed over" "$work/set.err" ||
  fail "the set's bad copies were not told: $(cat "$work/set.err")"
: >"$work/empty.pro"
! "$work/sbhost" replay "$work/empty.pro" 2>"$work/empty.err" && ! grep -q "sbsim" "$work/empty.err" &&
  grep -q "empty.pro holds neither" "$work/empty.err" || fail "an empty log: $(cat "$work/empty.err")"

# Over ptys: sbsim plays the recorded point, sbhost's driver talks to it through the serial port service, which
# waits for sbsim as long as a busy machine may hold it back (the recording has no silence to cost it).
# Usage: over_ptys NAME LOG [SBSIM OPTION...]; sbsim's exit status in $sim_status.
over_ptys() {
  local name=$1 log=$2
  shift 2
  coproc SIM { exec "$sbsim" --replay "$log" --point 1 --baud 9600 "$@" 2>"$work/sim.err"; }
  sim_pid=$SIM_PID
  exec {sim_out}<&"${SIM[0]}"
  read -t "$patience" -r word point line pty <&"$sim_out" && [ "$word $point $line" = "point 1 line" ] ||
    fail "sbsim --replay told \"$word $point $line\""
  read -t "$patience" -r word <&"$sim_out" && [ "$word" = ready ] || fail "sbsim --replay is not ready"
  "$work/sbhost" --json --line "1=${pty#A }" --turnaround $((5 * turnaround)) replay "$log" --point 1 \
    >"$work/$name.out" 2>"$work/$name.err" || true
  kill "$sim_pid" 2>/dev/null || true
  sim_status=0
  wait "$sim_pid" || sim_status=$?
  sim_pid=""
}
over_ptys pty "$data/recorded.pro"
grep -q '"result":"identical","calls":7,"points":1,"exchanges":70,"results":3' "$work/pty.out" ||
  fail "recorded.pro over a pty: $(tail -1 "$work/pty.out")"
echo "recordings replayed in process, as a rotated set and over a pty, in $((SECONDS - started)) s"
