#!/bin/sh
# Fails when a tracked C++ source drifts from .clang-format; `cmake --build --preset ci --target format`
# rewrites the files in place.
set -eu
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
