#!/bin/sh
# The Windows side, checked on this Linux machine:
#  1. the plain platform layer of the network probes (src/net/platform) cross-built with MinGW-w64
#     and its tests run under Wine in a fresh prefix (CTest starts each test program through Wine);
#  2. every Qt-facing source with Windows-only code (Q_OS_WIN) compiled by MinGW against the
#     system's Qt 6 headers with -fsyntax-only: parsed and type-checked, never linked or run.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)

# Debian 12 keeps the 64-bit loader off PATH.
wine64=$(command -v wine64 || dpkg -L wine64 2>/dev/null | grep '/wine64$' | head -n 1 || true)
if [ -z "$wine64" ] || [ ! -x "$wine64" ]; then
  echo "test-windows: wine64 is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
wineserver=$(dirname "$wine64")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || echo true)

cmake --preset mingw-platform -DQUORVANE_WINE64="$wine64" > /dev/null
cmake --build --preset mingw-platform -j "$jobs"

# A fresh prefix for every run. Nothing asks to install the optional runtimes, no window can open,
# and the prefix's server is ended with the run.
WINEPREFIX="$PWD/build-mingw/wineprefix"
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
unset DISPLAY WAYLAND_DISPLAY
rm -rf "$WINEPREFIX"
trap '"$wineserver" -k 2> /dev/null || true' EXIT
"$wine64" wineboot --init > /dev/null 2>&1
ctest --preset mingw-platform -j "$jobs"

# Windows branches of the Qt-facing sources: each file that holds one itself or in its own header.
qt=$(pkg-config --variable=includedir Qt6Core)
files=""
for source in $(git ls-files 'src/*.cpp' | grep -v '^src/net/platform/'); do
  if grep -qE 'Q_OS_WIN|_WIN32' "$source" "${source%.cpp}.h" 2> /dev/null; then
    files="$files $source"
  fi
done
echo "MinGW syntax-only pass against the system's Qt headers:$files"
# shellcheck disable=SC2086
printf '%s\n' $files | xargs -P "$jobs" -I {} x86_64-w64-mingw32-g++-posix -std=c++17 -fsyntax-only \
  -Wall -Wextra -Wpedantic -Wold-style-cast -Werror -DUNICODE -D_UNICODE -DQT_NO_KEYWORDS \
  -DQUORVANE_VERSION_MAJOR=0 -DQUORVANE_VERSION_MINOR=0 -DQUORVANE_VERSION_PATCH=0 \
  -Isrc -isystem "$qt" -isystem "$qt/QtCore" -isystem "$qt/QtNetwork" -isystem "$qt/QtGui" -isystem "$qt/QtWidgets" {}
echo "MinGW syntax-only pass: $(printf '%s\n' $files | grep -c .) files compiled"
