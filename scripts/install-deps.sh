#!/bin/sh
# Installs what building and testing Quorvane needs on Debian 12 (run as root).
set -eu
packages="build-essential cmake pkg-config clang clang-format libclang-rt-14-dev qt6-base-dev qt6-base-dev-tools
  libgl-dev libgumbo-dev libcpp-httplib-dev libbenchmark-dev xvfb xauth iproute2 curl
  util-linux mount doctest-dev g++-mingw-w64-x86-64-posix wine64"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing
fi
