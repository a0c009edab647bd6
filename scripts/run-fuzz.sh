#!/usr/bin/env bash
# Runs every fuzz target for a bounded time: scripts/run-fuzz.sh BUILD SECONDS.
# Seeds: tests/data and fuzz/corpus/<target>; what a run finds goes to
# BUILD/corpus/<target>, crashes and hangs to BUILD/findings/<target>. Any
# finding fails the run. A line per target says what was done.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build-fuzz}" && pwd)
seconds=${2:-60}
targets=(fuzz_backside fuzz_boxclipboard fuzz_cardfile fuzz_cardinteger fuzz_captionline fuzz_codepage932 fuzz_extensionline fuzz_layoutline fuzz_mergelist fuzz_pdfxfinish fuzz_picture fuzz_shapelines fuzz_textsetting)

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:${UBSAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0:${LSAN_OPTIONS:-}"

status=0
summary=()
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  log="$build/$target.log"
  mkdir -p "$corpus" "$findings"
  seeds=("$root/fuzz/corpus/$target")
  # The card reader and the picture loader also start from the sample files.
  case $target in
    fuzz_cardfile | fuzz_picture | fuzz_codepage932) seeds+=("$root/tests/data") ;;
  esac
  echo "== $target: $seconds s"
  if ! "$build/fuzz/$target" "$corpus" "${seeds[@]}" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -max_len=65536 \
      -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1; then
    echo "$target found a fault; its input is in $findings/:" >&2
    grep -E "ERROR|property does not hold|SUMMARY|Test unit written" "$log" >&2 || tail -30 "$log" >&2
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  corpus_size=$(find "$corpus" -type f | wc -l)
  summary+=("$(printf '%-18s %10s runs in %4s s, corpus %5s inputs' "$target" "${runs:-?}" "${took:-?}" "$corpus_size")")
done
printf '%s\n' "${summary[@]}"
exit $status
