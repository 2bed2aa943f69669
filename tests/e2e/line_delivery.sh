#!/usr/bin/env bash
# A whole delivery over a pseudo-terminal: sbsim serves a simulated dispenser on the master side, a host (sbhost
# or an example) drives it through the driver library on the slave side, and the customer's actions go to sbsim's
# input. Passes when the host's final figures are sbsim's sale and the totals it read grew by exactly that sale.
# Usage: line_delivery.sh SBSIM HOST [WORD...]
#   HOST and the words after it are the host's command ("wine sbhost.exe" for the Windows host). @LINE@ in a
#   word stands for the host's line; without it, sbhost's delivery of 5 l of grade 2 at 45.90 on point 1 follows.
#   Any host prints "final: VOLUME l, AMOUNT", "totals before: VOLUME l, AMOUNT" and "totals after: ...".
#   LINE_LINK=PATH points the symbolic link PATH at the pseudo-terminal and LINE_NAME=NAME gives the host the
#   line as NAME instead of the terminal's path: a Wine prefix whose COM1 leads to PATH runs with LINE_NAME=COM1.
set -euo pipefail
sbsim=$1
shift
sbhost=("$@")
# shellcheck source=tests/e2e/patience.sh
source "$(dirname "$0")/patience.sh"

work=$(mktemp -d)
sim_pid=""
host_pid=""
cleanup() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  echo "--- host"; cat "$work/host.out" 2>/dev/null || true
  echo "--- sbsim"; cat "$work/sim.out" "$work/sim.err" 2>/dev/null || true
  exit 1
}
# The driver's settings file: its defaults (2400 baud, scales 100), not whatever this machine holds.
export SBDRIVER_CONFIG_DIR=$work

coproc SIM { exec "$sbsim" --pty --flow 20 2>"$work/sim.err"; }
sim_pid=$SIM_PID
# Copies of the pipes: bash closes the coprocess's own ones as soon as it has ended, before its last lines are read.
exec {sim_out}<&"${SIM[0]}" {sim_in}>&"${SIM[1]}"
# point 1 line A /dev/pts/3
read -t "$patience" -r _ _ _ _ slave <&"$sim_out" || fail "sbsim printed no pseudo-terminal path"
[ -c "$slave" ] || fail "sbsim printed \"$slave\", not a terminal"
host_line=$slave
if [ -n "${LINE_LINK:-}" ]; then
  ln -sfn "$slave" "$LINE_LINK"
  host_line=${LINE_NAME:-$LINE_LINK}
fi

host=()
for word in "${sbhost[@]}"; do host+=("${word//@LINE@/$host_line}"); done
[[ "${sbhost[*]}" == *@LINE@* ]] || host+=(--line "1=$host_line" --turnaround "$turnaround" deliver 2 45.90 5)

started=$SECONDS
timeout $((2 * patience)) "${host[@]}" >"$work/host.out" 2>&1 &
host_pid=$!
echo "lift 2" >&"$sim_in"

# The customer hangs the nozzle up once sbsim tells that the delivery stopped at its preset.
sale=""
while read -t "$patience" -r line <&"$sim_out"; do
  echo "$line" >>"$work/sim.out"
  if [[ $line == "point 1 sale "* ]]; then
    sale=${line#point 1 }
    echo "hang" >&"$sim_in"
    break
  fi
done
[ -n "$sale" ] || fail "sbsim told no sale"

host_rc=0
wait "$host_pid" || host_rc=$?
host_pid=""
echo "quit" >&"$sim_in"
while read -t "$patience" -r line <&"$sim_out"; do echo "$line" >>"$work/sim.out"; done
wait "$sim_pid" || fail "sbsim did not end cleanly on quit"
sim_pid=""
[ "$host_rc" -eq 0 ] || fail "the host ended with $host_rc"
sed -i 's/\r$//' "$work/host.out"  # a Windows host ends its lines with CR LF

# sale grade 2 nozzle 2 volume 5.00 price 45.90 amount 229.50
read -r _ _ sale_grade _ _ _ sale_volume _ _ _ sale_amount <<<"$sale"
final=$(grep '^final: ' "$work/host.out") || fail "the host printed no final figures"
before=$(grep '^totals before: ' "$work/host.out") || fail "the host printed no totals before"
after=$(grep '^totals after: ' "$work/host.out") || fail "the host printed no totals after"
# final: 5.00 l, 229.50 (line result 1)      totals before: 0.00 l, 0.00
hundredths() { awk -v a="$1" -v b="${2:-0}" 'BEGIN { printf "%d", (a - b) * 100 + ((a - b) < 0 ? -0.5 : 0.5) }'; }
final_volume=$(awk '{ print $2 }' <<<"$final")
final_amount=$(awk '{ sub(/,$/, "", $4); print $4 }' <<<"$final")
read -r before_volume before_amount < <(awk '{ print $3, $5 }' <<<"$before")
read -r after_volume after_amount < <(awk '{ print $3, $5 }' <<<"$after")

[ "$sale_grade" = 2 ] || fail "sbsim sold grade $sale_grade"
[ "$(hundredths "$sale_volume")" = 500 ] || fail "sbsim delivered $sale_volume l, not the preset 5 l"
[ "$(hundredths "$final_volume")" = "$(hundredths "$sale_volume")" ] || fail "final volume $final_volume, sold $sale_volume"
[ "$(hundredths "$final_amount")" = "$(hundredths "$sale_amount")" ] || fail "final amount $final_amount, sold $sale_amount"
[ "$(hundredths "$after_volume" "$before_volume")" = "$(hundredths "$sale_volume")" ] ||
  fail "volume total grew from $before_volume to $after_volume, sold $sale_volume"
[ "$(hundredths "$after_amount" "$before_amount")" = "$(hundredths "$sale_amount")" ] ||
  fail "amount total grew from $before_amount to $after_amount, sold $sale_amount"
echo "delivery over $host_line: $sale_volume l for $sale_amount, totals grew by it, in $((SECONDS - started)) s"
