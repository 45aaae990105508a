#!/bin/sh
# The Windows side, checked on this Linux machine:
#  1. the plain platform layer of the network probes (src/net/platform) cross-built with MinGW-w64
#     and its tests run under Wine in a fresh prefix (CTest starts each test program through Wine);
#  2. every Qt-facing source with Windows-only code (Q_OS_WIN) compiled by MinGW against the
#     system's Qt 6 headers with -fsyntax-only: parsed and type-checked, never linked or run;
#  3. the whole program cross-built against the prebuilt Qt kit (../shared/toolchains, or the folder
#     in QUORVANE_WIN_TOOLCHAINS; unpacked into the build folder), with its portable folder and zip;
#     under Wine in a fresh prefix: every test program, quorvane-cli.exe of the portable folder
#     against the simulated router with its report compared with the Linux program's, the capture
#     through NetworkInfo.bat and Wine's cmd, and the window on a virtual X screen, whose
#     screenshot is kept as build-mingw-full/quorvane-window.png.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)
started=$(date +%s)

# Debian 12 keeps the 64-bit loader off PATH.
wine64=$(command -v wine64 || dpkg -L wine64 2>/dev/null | grep '/wine64$' | head -n 1 || true)
if [ -z "$wine64" ] || [ ! -x "$wine64" ]; then
  echo "test-windows: wine64 is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
wineserver=$(dirname "$wine64")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || true)
if [ -z "$wineserver" ]; then
  echo "test-windows: wine64 came without its wineserver" >&2
  exit 1
fi
toolchains=${QUORVANE_WIN_TOOLCHAINS:-$(cd .. && pwd)/shared/toolchains}
kit_tarball=qt6-mingw-6.4.2.tar.xz
if [ ! -f "$toolchains/$kit_tarball" ]; then
  echo "test-windows: the Windows toolchain $toolchains/$kit_tarball is missing (set QUORVANE_WIN_TOOLCHAINS to its folder)" >&2
  exit 1
fi

xvfb_pid=""
cleanup() {
  for prefix in "$PWD/build-mingw/wineprefix" "$PWD/build-mingw-full/wineprefix"; do
    if [ -d "$prefix" ]; then WINEPREFIX=$prefix "$wineserver" -k 2> /dev/null || true; fi
  done
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2> /dev/null || true; fi
  if [ -n "${router_pid:-}" ]; then kill "$router_pid" 2> /dev/null || true; fi
}
trap cleanup EXIT
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG WINEDLLOVERRIDES

# A fresh prefix in $WINEPREFIX, with a server that lasts until it is ended. The first program of a
# session starts the server and the system's own programs (services.exe, explorer.exe and the
# rest), and these keep that program's standard output and error open until the session ends. Were
# that program a test, CTest would see the end of its output only then, minutes after the test
# ended, and take it for a timeout. Started here, they hold /dev/null; and a server that does not
# end between two programs never starts them again.
fresh_prefix() {
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "$wineserver" -p < /dev/null > /dev/null 2>&1
  "$wine64" wineboot --init < /dev/null > /dev/null 2>&1
}

# 1. The platform layer. A fresh prefix for every run: nothing asks to install the optional
# runtimes, no window can open, and the prefix's server is ended with the run.
cmake --preset mingw-platform -DQUORVANE_WINE64="$wine64" > /dev/null
cmake --build --preset mingw-platform -j "$jobs"
WINEPREFIX="$PWD/build-mingw/wineprefix"
export WINEPREFIX
(
  unset DISPLAY WAYLAND_DISPLAY
  fresh_prefix
  ctest --preset mingw-platform -j "$jobs"
)
"$wineserver" -k 2> /dev/null || true

# 2. Windows branches of the Qt-facing sources: each file that holds one itself or in its own header.
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
layer_done=$(date +%s)

# 3. The whole program. Its prefix's server starts with a virtual X screen, so that a window can
# open in it later; the test programs themselves draw offscreen. The build already needs the
# prefix: the icons are drawn by a built program, run through Wine. The server lasts until the
# cleanup ends it.
build="build-mingw-full"
mkdir -p "$build"
display=""
for n in 91 92 93 94 95 96 97 98 99; do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "test-windows: no free X display number" >&2; exit 1; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > "$build/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
DISPLAY=$display
WINEPREFIX="$PWD/$build/wineprefix"
export DISPLAY WINEPREFIX
fresh_prefix

cmake --preset mingw -DQUORVANE_WIN_TOOLCHAINS="$toolchains" > /dev/null
cmake --build --preset mingw -j "$jobs"
cmake --build --preset mingw --target portable
built=$(date +%s)
# Every CTest entry runs under Wine. What Wine cannot show is skipped row by row inside the test
# programs, each with its reason in the output (README's Windows section lists them).
ctest --preset mingw -j "$jobs"
tested=$(date +%s)

# The capture through NetworkInfo.bat and Wine's cmd, in a copy of the portable folder whose path
# has blanks in it; the portable programs run on plain Wine, without the kit's DLLs on their path.
version=$(sed -n 's/^project(quorvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
portable="$build/quorvane-$version-windows-x64"
[ -f "$portable.zip" ] || { echo "test-windows: $portable.zip was not made" >&2; exit 1; }
check="$build/portable check"
rm -rf "$check"
mkdir -p "$check"
cp -r "$portable" "$check/Quorvane Portable"
app="$PWD/$check/Quorvane Portable"
app_win="Z:$(printf '%s' "$app" | tr / '\\')"
"$wine64" cmd /c "$app_win\\NetworkInfo.bat" > /dev/null 2>&1 || true
if [ ! -s "$app/ipcon.txt" ] || [ -e "$app/ipcon.tmp" ] || ! grep -q ' \. \. .*: ' "$app/ipcon.txt"; then
  echo "test-windows: NetworkInfo.bat wrote no IP configuration listing" >&2
  exit 1
fi
mv "$app/ipcon.txt" "$check/windows-ipcon.txt"
echo "NetworkInfo.bat through Wine's cmd: $(wc -l < "$check/windows-ipcon.txt") lines of listing"

# quorvane-cli.exe against the simulated router, and the Linux program on the same router.
if [ ! -x build-ci/bin/quorvane-cli ] || [ ! -x build-ci/bin/quorvane-routersim ]; then
  cmake --preset ci > /dev/null
  cmake --build --preset ci -j "$jobs" --target quorvane-cli quorvane-routersim dist_files
fi
linux_app="$PWD/$check/linux"
mkdir -p "$linux_app"
cp build-ci/bin/NetworkInfo.sh build-ci/bin/vendors.txt tools/routersim/profiles/* "$linux_app/"
cp tools/routersim/profiles/* "$app/"
sh "$linux_app/NetworkInfo.sh"
mv "$linux_app/ipcon.txt" "$check/linux-ipcon.txt"
# shellcheck source=tools/routersim/start-routersim.sh
. tools/routersim/start-routersim.sh
start_routersim "$check/router.out" build-ci/bin/quorvane-routersim --class II --port 0 --lifetime-seconds 300 \
  || { echo "test-windows: the simulated router did not start" >&2; exit 1; }
run_args="--class II --ip 127.0.0.1 --port $router_port --no-censor --ping-host localhost --ping-ip 127.0.0.1"
# shellcheck disable=SC2086
build-ci/bin/quorvane-cli --app-dir "$linux_app" $run_args > "$check/linux-report.txt" 2> "$check/linux-cli.err"
# The capture waits about four seconds for NetworkInfo.bat; Wine's cmd and ipconfig can take longer
# to start on a busy machine, and the report then has no listing: such a run is tried again.
for try in 1 2 3; do
  # shellcheck disable=SC2086
  "$wine64" "$app_win\\quorvane-cli.exe" $run_args > "$check/windows-report.txt" 2> "$check/windows-cli.err" || {
    echo "test-windows: quorvane-cli.exe failed:" >&2
    cat "$check/windows-cli.err" >&2
    exit 1
  }
  grep -q ' \. \. .*: ' "$check/windows-report.txt" && break
  echo "test-windows: run $try of quorvane-cli.exe captured no IP configuration in time" >&2
done
kill "$router_pid" 2> /dev/null || true
router_pid=""
# Every line of the report ends in CR LF (the last one may have no line end), and the lines
# outside the listing in only one CR.
cr=$(printf '\r')
lines="$check/windows-report-lines.txt"
cp "$check/windows-report.txt" "$lines"
[ -z "$(tail -c 1 "$lines")" ] || printf '\r\n' >> "$lines"
if LC_ALL=C grep -q "[^$cr]\$" "$lines" || ! head -n 1 "$lines" | LC_ALL=C grep -q "[^$cr]$cr\$" \
  || ! tail -n 1 "$lines" | LC_ALL=C grep -q "[^$cr]$cr\$"; then
  echo "test-windows: the report of quorvane-cli.exe does not end its lines in one CR LF" >&2
  exit 1
fi
cmake -DLINUX_REPORT="$check/linux-report.txt" -DLINUX_LISTING="$check/linux-ipcon.txt" \
  -DWINDOWS_REPORT="$check/windows-report.txt" -DWINDOWS_LISTING="$check/windows-ipcon.txt" \
  -P tests/windows/CompareReports.cmake

# The window on the virtual screen, started from the portable folder, as a user meets it: first the
# start-up message alone (kept as quorvane-startup.png), then, once its OK is pressed with the
# keyboard, the window itself (quorvane-window.png). Each picture must show more than a blank
# screen, and the window's more than the message's.
"$wine64" "$app_win\\quorvane.exe" > "$check/window.log" 2>&1 &
window_pid=$!
sleep 20
if ! kill -0 "$window_pid" 2> /dev/null; then
  echo "test-windows: quorvane.exe ended at once:" >&2
  cat "$check/window.log" >&2
  exit 1
fi
screen_colours() {
  xwd -root -silent -display "$display" | xwdtopnm 2> /dev/null | pnmtopng > "$1" 2> /dev/null
  pngtopnm "$1" | ppmhist -noheader 2> /dev/null | wc -l
}
startup_colours=$(screen_colours "$build/quorvane-startup.png")
DISPLAY=$display xdotool key Return
sleep 3
colours=$(screen_colours "$build/quorvane-window.png")
kill "$window_pid" 2> /dev/null || true
if [ "$startup_colours" -lt 8 ] || [ "$colours" -le "$startup_colours" ]; then
  echo "test-windows: the screen shows no window after the start-up message ($startup_colours, then $colours colours)" >&2
  exit 1
fi
finished=$(date +%s)
echo "test-windows: start-up message $build/quorvane-startup.png ($startup_colours colours)," \
  "window $build/quorvane-window.png ($colours colours)"
echo "test-windows: platform layer $((layer_done - started)) s; whole program: build and portable zip" \
  "$((built - layer_done)) s, tests under Wine $((tested - built)) s, end-to-end, capture and window" \
  "$((finished - tested)) s"
