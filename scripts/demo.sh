#!/bin/sh
# Installs what is missing, builds, and runs the main job.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
./build/bin/quorvane-cli
