#!/usr/bin/env bash
# Builds the sample product and runs it headless: it saves a screenshot of its
# main window and quits, printing where its log files and settings went.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"

bash "$root/scripts/install-dependencies.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKAVREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target SampleProduct -j "$(nproc)"

# Without a display the offscreen platform stands in; with one, it shows.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
fi
screenshot="$build/sample-product.png"
"$build/examples/SampleProduct/SampleProduct" --screenshot "$screenshot" "$@"
