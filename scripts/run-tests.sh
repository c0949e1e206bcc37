#!/usr/bin/env bash
# Builds the library, the sample product and every test suite, then runs them.
#   scripts/run-tests.sh             normal build in build-tests/
#   scripts/run-tests.sh --sanitize  AddressSanitizer + UBSan build in build-asan/
#   scripts/run-tests.sh --tsan      ThreadSanitizer build in build-tsan/ of the suites
#                                    whose code runs on several threads
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

build="$root/build-tests"
options=(-DCMAKE_BUILD_TYPE=Debug)
targets=(all)
tests=()
if [ "${1:-}" = "--sanitize" ]; then
  build="$root/build-asan"
  options+=(-DKAVREL_SANITIZE=ON)
  # Full unwinding lets the suppressions see through Qt frames built without
  # frame pointers.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:fast_unwind_on_malloc=0"
  export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
elif [ "${1:-}" = "--tsan" ]; then
  build="$root/build-tsan"
  options+=(-DKAVREL_SANITIZE=thread -DKAVREL_BUILD_EXAMPLES=OFF)
  # The observer lists, the settings stores used from several threads and
  # followed across processes, the operating-system layer's events, pipes
  # and named mutexes, the IPC channel and the focus transferer's watcher,
  # and the helpers their tests start.
  targets=(EventHandlerListTests SettingsManagerTests SettingsFollowTests PlatformLayerTests
    kavrel_platform_helper IPCTests kavrel_test_helper)
  tests=(-R '^(CoreEventHandlerList|SettingsObservers|SettingsTest|SettingsFollow|AllTypes/SettingsValueTypes|Platform[A-Za-z0-9]*|Posix[A-Za-z0-9]*|IPC|IPCPipes)\.')
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:history_size=4:suppressions=$root/tests/tsan.supp"
fi

bash "$root/scripts/install-dependencies.sh"
cmake -S "$root" -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
cd "$build"
ctest --output-on-failure -j "$(nproc)" "${tests[@]}"
