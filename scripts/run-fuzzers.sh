#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/, clang with libFuzzer, AddressSanitizer and
# UBSan) in build-fuzz/ and runs each in turn, one process on one core.
#   scripts/run-fuzzers.sh [seconds-per-target] [target...]
# Default: 20 seconds for every target. A crash, a hang (an input running
# longer than 10 s), running out of memory or a failed expectation fails the
# script; libFuzzer keeps the input as build-fuzz/artifacts/<target>-*. Each
# target starts from fuzz/corpus/<target> and the corpus it grew in earlier
# runs (build-fuzz/corpus/<target>). The table at the end says how long each
# ran, how many inputs it tried and how large its corpus is; it is also in
# build-fuzz/summary.txt.
# Reproduce a finding: build-fuzz/fuzz/fuzz_<target> <artifact>
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-20}"
shift || true

build="$root/build-fuzz"
bash "$root/scripts/install-dependencies.sh"
# -O1: most of the speed, a fraction of the build time of -O2.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS=-O1 -DKAVREL_FUZZ=ON -DKAVREL_BUILD_TESTS=OFF -DKAVREL_BUILD_EXAMPLES=OFF >/dev/null
cmake --build "$build" --target fuzzers -j "$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for seeds in "$root"/fuzz/corpus/*/; do
    targets+=("$(basename "$seeds")")
  done
fi

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1:fast_unwind_on_malloc=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

mkdir -p "$build/artifacts" "$build/logs"
summary="$build/summary.txt"
printf '%-20s %8s %12s %8s %s\n' target seconds executions corpus result >"$summary"
failed=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/logs/$target.log"
  start=$(date +%s)
  status=0
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
    "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  elapsed=$(($(date +%s) - start))
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  files=$(find "$corpus" -type f | wc -l)
  result=ok
  if [ "$status" -ne 0 ]; then
    result="FAILED (exit $status)"
    failed=1
    echo "== $target failed; the end of $log:" >&2
    tail -40 "$log" >&2
  fi
  printf '%-20s %8s %12s %8s %s\n' "$target" "$elapsed" "${executions:-?}" "$files" "$result" | tee -a "$summary"
done
cat "$summary"
exit "$failed"
