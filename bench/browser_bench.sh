#!/usr/bin/env bash
# Times the browser detection's process scan against `ps -e -o comm=` (both
# as whole processes), its in-process cost per running process, and the full
# link dump of the sample product for 11 languages against its plain start.
#   bench/browser_bench.sh [runs]
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build-bench"
runs=${1:-50}

cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKAVREL_BUILD_BENCHMARKS=ON -DKAVREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target process_map SampleProduct >/dev/null

# Median wall time in microseconds of a command run $runs times.
median_us() {
  local times=()
  for ((i = 0; i < runs; i++)); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=($(((end - start) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

echo "== Process scan ($runs runs each, median wall time)"
scan=$(median_us "$build/bench/process_map")
ps_time=$(median_us ps -e -o comm=)
echo "process_map: ${scan} us   ps -e -o comm=: ${ps_time} us   ratio: $(awk -v a="$scan" -v b="$ps_time" 'BEGIN {printf "%.2fx", a / b}') (goal: no slower than ps)"
"$build/bench/process_map" --repeat 200

echo
echo "== Link dump, 11 languages ($((runs / 5 + 1)) runs each)"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# A copy of the sample beside its resources, with the seven default test
# languages it does not translate added (empty), so that all 11 are tested.
cp -r "$build/examples/SampleProduct/resources" "$home/resources"
cp "$build/examples/SampleProduct/SampleProduct" "$home/SampleProduct"
for locale in es_ES it_IT ja_JP nl_NL pl_PL pt_BR tr_TR; do mkdir -p "$home/resources/locales/$locale"; done
sample=(env QT_QPA_PLATFORM=offscreen HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
        LOCALAPPDATA="$home/local" XDG_RUNTIME_DIR="$home" "$home/SampleProduct")
runs=$((runs / 5 + 1))
plain=$(median_us "${sample[@]}" --quit-after 0)
dump=$(median_us "${sample[@]}" --quit-after 0 --test-dump-urls)
lines=$(wc -l <"$home/data/Kavrel/Sample Player/SampleProduct-url-dump.csv")
echo "start: ${plain} us   start with the dump: ${dump} us   dump alone: $((dump - plain)) us for ${lines} lines"
