#!/usr/bin/env bash
# The Windows check: cross-builds the operating-system layer's Win32 backend
# and its suite with mingw-w64 (in build-windows/), then runs the suite under
# Wine on a virtual display, in a Wine prefix of its own that goes afterwards.
# Only the Qt-free layer is built: Debian has no Qt, boost or glog for
# mingw-w64. The last line tells whether the suite passed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-windows"

bash "$root/scripts/install-windows-dependencies.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DKAVREL_PLATFORM_ONLY=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j "$(nproc)"

# Debian installs the 64-bit loader outside PATH.
wine=""
for file in $(dpkg -L wine64); do
  if [ "$(basename "$file")" = wine64 ] && [ -f "$file" ] && [ -x "$file" ]; then wine="$file"; fi
done
[ -n "$wine" ] || { echo "Windows suite not run: no wine64 loader found"; exit 1; }
wineserver="$(dirname "$wine")/wineserver"

prefix="$(mktemp -d "${TMPDIR:-/tmp}/kavrel-wine-XXXXXX")"
cleanup() {
  WINEPREFIX="$prefix" "$wineserver" -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
# No .NET or HTML engine to fetch, no debug chatter.
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

log="$build/windows-tests.log"
status=0
xvfb-run -a "$wine" "$build/bin/PlatformLayerTests.exe" --gtest_color=no >"$log.raw" 2>&1 || status=$?
tr -d '\r' <"$log.raw" >"$log" # Windows line ends
# Wine's own start-up notes are not the suite's.
grep -v -e '^wine: ' -e '^X connection to ' "$log" || true

passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p' "$log")
if [ "$status" -eq 0 ] && [ -n "$passed" ] && ! grep -q '^\[  FAILED  \]' "$log"; then
  echo "Windows suite passed under Wine: $passed tests of the operating-system layer (mingw-w64, $(basename "$wine") $("$wine" --version))"
else
  echo "Windows suite FAILED under Wine (exit status $status; log: $log)"
  exit 1
fi
