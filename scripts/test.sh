#!/bin/sh
# Installs what is missing, checks the sources' format, builds with warnings as errors and runs every
# test; then the Windows checks (scripts/test-windows.sh); then builds the sanitizer preset, runs the
# tests again under ASan + UBSan and gives each fuzzer a bounded run.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/check-format.sh
jobs=$(nproc)

cmake --preset ci
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs"

# The Windows platform layer cross-built and tested under Wine, and the Windows branches of the
# Qt-facing sources compiled.
if [ "${QUORVANE_SKIP_WINDOWS:-0}" != 1 ]; then
  ./scripts/test-windows.sh
fi

if [ "${QUORVANE_SKIP_SANITIZE:-0}" != 1 ]; then
  cmake --preset sanitize
  cmake --build --preset sanitize -j "$jobs"
  ASAN_OPTIONS=detect_leaks=0 ctest --preset sanitize -j "$jobs"
  ./scripts/fuzz.sh "${QUORVANE_FUZZ_SECONDS:-30}"
fi
