#!/bin/sh
# Runs a Windows program under Wine (plain wine64 or the kit's launcher) for CTest and for the
# build, and relays its output until the program ends - not until its output's last holder closes it.
#
# The first program of a Wine session to use the desktop starts the desktop's own process
# (explorer.exe /desktop), which keeps that program's standard output and error open until the
# desktop closes, a second after the last program that uses it ends. When tests run side by side
# that is minutes later, and whoever reads the output to its end (CTest, Ninja) waits all that
# time: CTest takes the test that ended long before for a timeout. So the program writes into
# files, which are relayed as they grow (tail follows them until the program's process is gone).
#
#   wine-relay.sh <wine64 or launcher> <program.exe> [arguments...]
set -u
dir=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-wine.XXXXXX") || exit 1
out="$dir/out"
err="$dir/err"
: > "$out"
: > "$err"
# An asynchronous command reads /dev/null unless told otherwise: the program keeps this one's input.
if [ -e /proc/$$/fd/0 ]; then exec 3<&0; else exec 3< /dev/null; fi
if [ "$(readlink /proc/$$/fd/1)" = "$(readlink /proc/$$/fd/2)" ]; then
  # One stream for both (CTest's case): one file keeps their order.
  "$@" 0<&3 3<&- > "$out" 2>&1 &
else
  "$@" 0<&3 3<&- > "$out" 2> "$err" &
fi
program=$!
exec 3<&-
tail -n +1 -s 0.1 --pid="$program" -f "$out" &
relay_out=$!
tail -n +1 -s 0.1 --pid="$program" -f "$err" >&2 &
relay_err=$!
trap 'kill "$program" 2> /dev/null' HUP INT TERM
status=0
wait "$program" || status=$?
# A signal cuts the first wait short: the program was told to stop, and is waited for again.
while kill -0 "$program" 2> /dev/null; do
  wait "$program" || status=$?
done
wait "$relay_out" "$relay_err"
rm -rf "$dir"
exit "$status"
