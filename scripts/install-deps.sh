#!/bin/sh
# Installs what Quorvane needs on Debian 12 (run as root). Its progress goes to standard error, so
# that a caller's standard output stays its own.
# Usage: scripts/install-deps.sh [--build | --bench]
#   --build  only what building and running need (the compiler, CMake, the libraries)
#   default  that, and what the whole test run needs too: clang and its sanitizer runtime, the
#            formatter, the benchmark library, a virtual display, the Windows cross-compiler and
#            Wine, and the checkers of the installed launcher, metadata and manual pages
#   --bench  the default's packages, and the headless browser that bench/golden_pages.py and
#            bench_browser compare the engine with (optional: no build or test needs it)
set -eu
exec >&2
build_packages="build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libgumbo-dev
  libcurl4-openssl-dev zlib1g-dev duktape-dev libcpp-httplib-dev doctest-dev libqt6sql6-sqlite qt6-charts-dev libqt6opengl6-dev"
test_packages="clang clang-format libclang-rt-14-dev libbenchmark-dev xvfb xauth iproute2 curl util-linux mount
  g++-mingw-w64-x86-64-posix wine64 ninja-build libz-mingw-w64 x11-apps xdotool netpbm appstream desktop-file-utils groff-base"
bench_packages="chromium"
case "${1:-}" in
  --build) packages=$build_packages ;;
  "") packages="$build_packages $test_packages" ;;
  --bench) packages="$build_packages $test_packages $bench_packages" ;;
  *) echo "usage: $0 [--build | --bench]"; exit 2 ;;
esac
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
