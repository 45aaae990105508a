#!/bin/sh
# Runs every libFuzzer target of the sanitize build for a bounded time; fails on any crash or
# sanitizer report. Usage: scripts/fuzz.sh [seconds-per-target]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-30}
status=0
passed=0
failed=0
for fuzzer in build-sanitize/fuzz/fuzz_*; do
  [ -f "$fuzzer" ] && [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus="build-sanitize/fuzz-corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/corpus/${name#fuzz_}"
  [ -d "$seeds" ] || seeds=""
  # The pages and texts of the golden tests are seeds too.
  case "$name" in
    fuzz_html | fuzz_scripts) seeds="$seeds tests/data/browser/pages" ;;
    fuzz_readers) seeds="$seeds tests/data/readers" ;;
    fuzz_report_filter) seeds="$seeds tests/data/privacy" ;;
  esac
  echo "== $name for ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=0 "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="build-sanitize/fuzz-corpus/$name-" "$corpus" $seeds >"build-sanitize/$name.log" 2>&1; then
    echo "FAILED: $name"; tail -40 "build-sanitize/$name.log"; status=1; failed=$((failed + 1))
  else
    tail -1 "build-sanitize/$name.log"; passed=$((passed + 1))
  fi
done
echo "fuzzers: $passed passed, $failed failed"
exit $status
