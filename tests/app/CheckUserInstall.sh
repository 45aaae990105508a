#!/bin/sh
# Installs the build as root into a scratch prefix and runs the installed programs as an ordinary
# user with a home of their own: the programs find their folder through the links in bin/, the
# user's data folder is made and seeded with the shipped files, the IP configuration listing and
# the page trace are written there, the installed files stay untouched, and a user who cannot
# write anywhere is told so once. The router is the simulator on loopback; the internet host is
# loopback too.
#
# Usage: CheckUserInstall.sh <build tree> <application folder under the prefix> <simulator program>
# Exits with 77 (skipped) unless run as root, which is needed to act as another user.
set -eu
build=$1
app_dir_name=$2
simulator=$3

if [ "$(id -u)" != 0 ] || ! command -v setpriv >/dev/null; then
  echo "skipped: needs root and setpriv to run the programs as another user"
  exit 77
fi
user=nobody
group=$(id -gn "$user")

stage=$(mktemp -d /tmp/quorvane-user-install.XXXXXX)
chmod 755 "$stage"
sim_out="$stage/simulator.out"
cleanup() {
  if [ -n "${router_pid:-}" ]; then kill "$router_pid" 2>/dev/null || true; fi
  rm -rf "$stage"
}
trap cleanup EXIT INT TERM

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

prefix="$stage/prefix"
cmake --install "$build" --prefix "$prefix" >"$stage/install.log" 2>&1 || { cat "$stage/install.log"; exit 1; }
app="$prefix/$app_dir_name"
before=$(cd "$prefix" && find . -printf '%p %m %s %T@\n' | sort)

home="$stage/home"
mkdir -p "$home"
chown "$user:$group" "$home"
data="$home/.local/share/Quorvane"

# The user's own environment: nothing of root's but a path, a locale and the sanitizers' settings
# of a sanitizer build.
as_user() {
  home_dir=$1
  shift
  timeout 120 setpriv --reuid="$user" --regid="$group" --clear-groups \
    env -i HOME="$home_dir" PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin LANG=C.UTF-8 \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "$@"
}

# shellcheck source=tools/routersim/start-routersim.sh
. "$(dirname "$0")/../../tools/routersim/start-routersim.sh"
start_routersim "$sim_out" "$simulator" --class II --port 0 --lifetime-seconds 300 \
  || { echo "the simulated router did not start"; exit 1; }
common="--class II --ip 127.0.0.1 --port $router_port --ping-host localhost --ping-ip 127.0.0.1"

# A run: the IP configuration is captured in the user's folder. The ping may fail where ordinary
# users cannot send ICMP; the listing stands in the report either way.
# shellcheck disable=SC2086
as_user "$home" env QUORVANE_PASSWORD=secret "$prefix/bin/quorvane-cli" $common --ipconfig \
  >"$stage/run.out" 2>"$stage/run.err" && status=0 || status=$?
[ "$status" = 0 ] || [ "$status" = 3 ] || fail "the run ended with $status: $(cat "$stage/run.err")"
grep -q "IP Configuration" "$stage/run.out" || fail "no IP configuration in the report: $(cat "$stage/run.out")"
grep -q "Neither" "$stage/run.err" && fail "a user with a home of their own was warned"

for name in ClassI.ini ClassII.ini ClassV.ini ClassIIDump.txt vendors.txt NetworkInfo.sh; do
  [ -f "$data/$name" ] || { fail "$name was not copied into $data"; continue; }
  cmp -s "$app/$name" "$data/$name" || fail "$name differs from the shipped one"
  [ "$(stat -c %U "$data/$name")" = "$user" ] || fail "$name does not belong to the user"
done
[ -x "$data/NetworkInfo.sh" ] || fail "the copied NetworkInfo.sh is not executable"
[ -e "$data/ipcon.txt" ] && fail "ipcon.txt was left behind"

# A data dump with the page trace: log.txt lands in the user's folder.
# shellcheck disable=SC2086
as_user "$home" env QUORVANE_PASSWORD=secret "$prefix/bin/quorvane-cli" $common --dump --trace \
  >"$stage/dump.out" 2>"$stage/dump.err" || fail "the dump failed: $(cat "$stage/dump.err")"
grep -q "Class II Dump" "$stage/dump.out" || fail "no dump: $(cat "$stage/dump.out")"
grep -q "Could not log in" "$stage/dump.out" && fail "the password of QUORVANE_PASSWORD was not used"
[ -s "$data/log.txt" ] || fail "no page trace in $data"
grep -q "secret" "$data/log.txt" && fail "the page trace holds the password"

# The window answers without a display, through its link.
as_user "$home" "$prefix/bin/quorvane" --version | grep -q "^quorvane " || fail "quorvane --version"

# The installation itself is exactly as it was installed.
after=$(cd "$prefix" && find . -printf '%p %m %s %T@\n' | sort)
[ "$before" = "$after" ] || fail "the installed files changed: $(printf '%s\n%s\n' "$before" "$after" | sort | uniq -u)"

# A user who can write nowhere hears it once, and the shipped profiles are still read.
rohome="$stage/read-only-home"
mkdir -p "$rohome"
# shellcheck disable=SC2086
as_user "$rohome" "$prefix/bin/quorvane-cli" $common --no-ipconfig --password x \
  >"$stage/ro.out" 2>"$stage/ro.err" || true
[ "$(grep -c "Neither" "$stage/ro.err")" = 1 ] || fail "no single warning: $(cat "$stage/ro.err")"
[ -e "$rohome/.local" ] && fail "something was made in the read-only home"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "installed programs run as $user: all checks passed"
