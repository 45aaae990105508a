#!/bin/sh
# Runs every libFuzzer target of the sanitize build for a bounded time; fails on any crash or
# sanitizer report, and prints each target's executions per second. Usage:
# scripts/fuzz.sh [seconds-per-target [target...]]   (targets by name: html, scripts...)
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-30}
[ $# -gt 0 ] && shift
status=0
passed=0
failed=0
for fuzzer in build-sanitize/fuzz/fuzz_*; do
  [ -f "$fuzzer" ] && [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  if [ $# -gt 0 ]; then
    case " $* " in *" ${name#fuzz_} "*) ;; *) continue ;; esac
  fi
  corpus="build-sanitize/fuzz-corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/corpus/${name#fuzz_}"
  [ -d "$seeds" ] || seeds=""
  # Inputs that once broke a property are run first of all, each time.
  [ -d "fuzz/regressions/${name#fuzz_}" ] && seeds="fuzz/regressions/${name#fuzz_} $seeds"
  # The pages and texts of the golden tests are seeds too.
  case "$name" in
    fuzz_html | fuzz_scripts) seeds="$seeds tests/data/browser/pages" ;;
    fuzz_readers) seeds="$seeds tests/data/readers" ;;
    fuzz_report_filter) seeds="$seeds tests/data/privacy" ;;
  esac
  # Options of one target.
  options=""
  case "$name" in
    fuzz_report_filter) options="-max_len=1024" ;;
  esac
  log="build-sanitize/$name.log"
  echo "== $name for ${seconds}s"
  # Leaks are not looked for (Qt keeps its globals for good), so libFuzzer is told too: it would
  # otherwise run every input that allocates more than it frees a second time, to look for one.
  # Freed memory waits in a quarantine of 32 MB instead of 256 before it is reused: a use after
  # free within one input is still caught, and the page and script targets run about a third faster.
  # libFuzzer favours inputs that reach rarely seen features; every feature of every run is looked
  # up in its list of rare ones, which keeps all features seen fewer than 256 times by default: in
  # a run of minutes that is nearly all of them, and the look-ups took a quarter of the time. A
  # feature seen 16 times is no longer rare; the 100 rarest are still kept.
  # The stacks at which blocks were allocated and freed are not recorded (malloc_context_size=0):
  # recording them took a tenth to a third of each target's time. A report of a failure lacks
  # them, so the input that failed is run once more with them.
  # shellcheck disable=SC2086 # the seed folders and options are lists of words
  if ! ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=32:malloc_context_size=0 "$fuzzer" -max_total_time="$seconds" \
      -timeout=10 -rss_limit_mb=2048 -detect_leaks=0 -entropic_feature_frequency_threshold=16 $options \
      -artifact_prefix="build-sanitize/fuzz-corpus/$name-" "$corpus" $seeds >"$log" 2>&1; then
    echo "FAILED: $name"; tail -40 "$log"; status=1; failed=$((failed + 1))
    artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    if [ -n "$artifact" ] && [ -f "$artifact" ]; then
      echo "== $artifact again, with the stacks of its blocks"
      # shellcheck disable=SC2086
      ASAN_OPTIONS=detect_leaks=0 "$fuzzer" -timeout=10 -rss_limit_mb=2048 $options "$artifact" 2>&1 | tail -80
    fi
  else
    tail -1 "$log"; passed=$((passed + 1))
  fi
  # The average speed of the whole run, seeds included ("Done <runs> runs in <seconds> second(s)");
  # a run that ended early has no such line, and then its last status line gives the average so far
  # ("#<runs> ... exec/s: <speed>"). A target far below a thousand executions a second finds little
  # in the time it is given.
  speed=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 \2/p' "$log" |
    awk '$2 > 0 { printf "%d", $1 / $2 }')
  [ -n "$speed" ] || speed=$(sed -n 's/^#[0-9][0-9]*[[:space:]].* exec\/s: \([0-9][0-9]*\).*/\1/p' "$log" | tail -1)
  echo "$name: ${speed:-?} exec/s"
done
echo "fuzzers: $passed passed, $failed failed"
exit $status
