# Sourced by the end-to-end cases: a scratch folder of their own ($work, also the driver's settings folder),
# sbsim's process and a host's run in the background ended with it ($sim_pid and $host_pid, once started: a
# case that fails leaves no program behind to hold its lines), and fail, which tells why and shows the last lines
# of every output kept in $work; and the waits of patience.sh.
# shellcheck source=tests/e2e/patience.sh
source "$(dirname "${BASH_SOURCE[0]}")/patience.sh"
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
  for f in "$work"/*.out "$work"/*.err; do echo "--- $f"; tail -20 "$f"; done
  exit 1
}
export SBDRIVER_CONFIG_DIR=$work
