#!/bin/sh
# Takes the screenshot of the line history window for the README: the window over the history of
# a data folder, under Xvfb, saved as docs/history.png.
#   scripts/history-screenshot.sh <build dir> <data folder> <class 1|2|3> <router address>
set -eu
build=$1 folder=$2 class=$3 address=$4
out=$(cd "$(dirname "$0")/.." && pwd)/docs/history.png
xvfb-run -a -s "-screen 0 920x560x24" "$build/tools/quorvane-historyshot" "$folder" "$class" "$address" all "$out"
echo "$out"
