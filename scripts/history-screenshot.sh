#!/bin/sh
# Takes the screenshot of the line history window for the README: the window over the history of
# a data folder, under Xvfb, saved as docs/history.png.
#   scripts/history-screenshot.sh <build dir> <data folder> <class 1|2|3> <router address>
set -eu
build=$1 folder=$2 class=$3 address=$4
out=$(cd "$(dirname "$0")/.." && pwd)/docs/history.png
xvfb-run -a -s "-screen 0 920x560x24" sh -c "
  '$build/tools/quorvane-historyshot' '$folder' '$class' '$address' all &
  app=\$!
  sleep 3
  xwd -root -silent > /tmp/history-shot.\$\$.xwd
  kill \$app
  convert /tmp/history-shot.\$\$.xwd -crop 900x520+0+0 '$out'
  rm -f /tmp/history-shot.\$\$.xwd"
echo "$out"
