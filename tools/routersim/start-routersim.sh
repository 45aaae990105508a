# shellcheck shell=sh
# Sourced by the scripts that drive the simulated router.
#
# start_routersim OUTPUT PROGRAM [OPTION...] starts PROGRAM with the options (among them --port 0)
# in the background, its standard output going to the file OUTPUT, and waits up to ten seconds for
# the "port=<N>" line that it prints once it listens. Sets router_pid, and router_port to the port;
# returns 1 when no port was printed.
start_routersim() {
  routersim_out=$1
  shift
  "$@" >"$routersim_out" &
  # shellcheck disable=SC2034 # for the caller
  router_pid=$!
  router_port=""
  for _ in $(seq 100); do
    router_port=$(sed -n 's/^port=//p' "$routersim_out")
    [ -n "$router_port" ] && return 0
    sleep 0.1
  done
  return 1
}
