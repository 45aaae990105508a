#!/bin/sh
# Installs what is missing, builds, and runs the main job: a full diagnostic of a simulated
# Class II router on loopback, printed as the report that would be pasted into a forum post.
# Standard output carries the report alone; progress goes to standard error.
# Usage: scripts/demo.sh [I|II|V] [more quorvane-cli options, e.g. --no-censor or --dump]
set -eu
cd "$(dirname "$0")/.."
klass=${1:-II}
[ $# -gt 0 ] && shift
# What building and running need; the test tools are left to scripts/test.sh.
./scripts/install-deps.sh --build

# The build's own output is shown only when it fails.
build_log=$(mktemp)
trap 'rm -f "$build_log"' EXIT
echo "Building..." >&2
if ! { cmake --preset default && cmake --build --preset default -j "$(nproc)"; } >"$build_log" 2>&1; then
  cat "$build_log" >&2
  exit 1
fi

bin=build/bin
app=$(mktemp -d)
router_out=$(mktemp)
cleanup() {
  if [ -n "${router_pid:-}" ]; then kill "$router_pid" 2>/dev/null || true; fi
  rm -rf "$app" "$router_out" "$build_log"
}
trap cleanup EXIT INT TERM

# An application folder of its own: the shipped files, plus profiles that point at the simulator.
cp "$bin/NetworkInfo.sh" "$bin/vendors.txt" "$app/"
cp tools/routersim/profiles/* "$app/"

# shellcheck source=tools/routersim/start-routersim.sh
. tools/routersim/start-routersim.sh
start_routersim "$router_out" "$bin/quorvane-routersim" --class "$klass" --port 0 --lifetime-seconds 300 \
  || { echo "the simulated router did not start" >&2; exit 1; }
echo "Simulated Class $klass router on 127.0.0.1:$router_port; running the diagnostic..." >&2

# The internet host is replaced by loopback: a demo never leaves this machine.
"$bin/quorvane-cli" --app-dir "$app" --class "$klass" --ip 127.0.0.1 --port "$router_port" \
  --ping-host localhost --ping-ip 127.0.0.1 "$@"
