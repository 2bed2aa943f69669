# Sourced by the end-to-end cases: a scratch folder of their own ($work, also the driver's settings folder),
# sbsim's process ended with it ($sim_pid, once started), and fail, which tells why and shows the last lines of
# every output kept in $work; and the waits of patience.sh.
# shellcheck source=tests/e2e/patience.sh
source "$(dirname "${BASH_SOURCE[0]}")/patience.sh"
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
