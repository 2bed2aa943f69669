# Sourced by the end-to-end cases: how long a case waits for what it waits for (a line of output, a state, a
# program's end). Long enough for a machine whose cores are all busy; a case that passes never waits it out.
patience=60
# The turnaround (milliseconds) a host over sbsim's ptys allows: sbsim, scheduled among busy programs, may begin
# an answer, or go on with it, that much later than a dispenser would.
turnaround=400
# Runs the command given until it succeeds, again every tenth of a second, for at most $patience seconds; false
# when it never did.
eventually() {
  local deadline=$((SECONDS + patience))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
