#!/bin/sh
# Installs what building and testing Quorvane needs on Debian 12 (run as root). Its progress goes to
# standard error, so that a caller's standard output stays its own.
set -eu
exec >&2
packages="build-essential cmake pkg-config clang clang-format libclang-rt-14-dev qt6-base-dev qt6-base-dev-tools
  libgl-dev libgumbo-dev libcurl4-openssl-dev zlib1g-dev duktape-dev libcpp-httplib-dev libbenchmark-dev xvfb xauth iproute2 curl
  util-linux mount doctest-dev g++-mingw-w64-x86-64-posix wine64 ninja-build libz-mingw-w64 x11-apps netpbm
  appstream desktop-file-utils groff-base"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  # apt and dpkg say a great deal that helps only when something goes wrong.
  # shellcheck disable=SC2086
  if ! { apt-get update -qq && apt-get install -y -qq --no-install-recommends $missing; } >"$log" 2>&1; then
    cat "$log"
    exit 1
  fi
fi
