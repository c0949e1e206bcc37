#!/usr/bin/env bash
# Builds the library, the sample product and every test suite, then runs them.
#   scripts/run-tests.sh             normal build in build-tests/
#   scripts/run-tests.sh --sanitize  AddressSanitizer + UBSan build in build-asan/
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

build="$root/build-tests"
options=(-DCMAKE_BUILD_TYPE=Debug)
if [ "${1:-}" = "--sanitize" ]; then
  build="$root/build-asan"
  options+=(-DKAVREL_SANITIZE=ON)
  # Full unwinding lets the suppressions see through Qt frames built without
  # frame pointers.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:fast_unwind_on_malloc=0"
  export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

bash "$root/scripts/install-dependencies.sh"
cmake -S "$root" -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
