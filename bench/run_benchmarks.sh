#!/usr/bin/env bash
# Builds the benchmarks in their own folder, runs every one of them, and ends
# with one summary of the goals, each MET or MISSED:
#
#   bench/run_benchmarks.sh [--runs N] [--no-settings] [--no-lookandfeel] [--no-tracker]
#                           [--no-browser] [--no-ipc] [--no-startup] [-- settings_bench flags...]
#
# settings_bench     SettingsManager against the QSettings it wraps (getters and
#                    unchanged setters no slower, a change with 10 observers
#                    within 3x, no file access from a getter)
# lookandfeel_bench  theme and locale switches against the bare Qt calls (< 1.2x)
# tracker_bench      the crash tracker with 1,000 stale records (< 3 ms) and the
#                    application object's life against a QApplication's (1.15x)
# process_map        the browser detection's process scan against `ps` (<= 1x)
# ipc_bench          the slave channel against a raw FIFO (for information)
# start-up           the sample product's whole start against a bare Qt program
#                    showing the same window (<= 1.1x wall)
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build-bench"
runs=30
warmups=3
declare -A skip=()
bench_flags=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --runs=*) runs="${1#--runs=}"; shift ;;
    --no-*) skip[${1#--no-}]=1; shift ;;
    --) shift; bench_flags=("$@"); break ;;
    -h|--help) sed -n '2,18p' "$0"; exit 0 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
run_settings=$(( ${skip[settings]:-0} == 0 ))
run_startup=$(( ${skip[startup]:-0} == 0 ))

echo "== Build ($build)"
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKAVREL_BUILD_BENCHMARKS=ON -DKAVREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" >/dev/null

summary=()
status=0
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kavrel-bench-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# Runs one benchmark program and adds the lines of its "Goals:" section to
# the summary. A failed run fails the script; a missed goal does not.
run_goals() {
  local name="$1"
  shift
  echo
  echo "== $name"
  local log="$scratch/$name.txt"
  env XDG_RUNTIME_DIR="$scratch" QT_QPA_PLATFORM=offscreen "$@" | tee "$log" || status=$?
  while IFS= read -r line; do
    summary+=("$line")
  done < <(sed -n '/^Goals:$/,$p' "$log" | tail -n +2 | grep -E '^ +(MET|MISSED|-) ')
}

[[ $run_settings -eq 1 ]] && run_goals settings_bench "$build/bench/settings_bench" "${bench_flags[@]}"
[[ ${skip[lookandfeel]:-0} -eq 0 ]] && run_goals lookandfeel_bench "$build/bench/lookandfeel_bench"
[[ ${skip[tracker]:-0} -eq 0 ]] && run_goals tracker_bench "$build/bench/tracker_bench"
[[ ${skip[ipc]:-0} -eq 0 ]] && run_goals ipc_bench "$build/bench/ipc_bench"

# ---- browser process scan ---------------------------------------------------
median_of_runs_us() {
  local times=() start end
  for ((i = 0; i < runs; i++)); do
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    end=$EPOCHREALTIME
    times+=($(( ${end/./} - ${start/./} )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
if [[ ${skip[browser]:-0} -eq 0 ]]; then
  echo
  echo "== Browser detection's process scan against ps -e -o comm= ($runs runs each, median wall time)"
  scan=$(median_of_runs_us "$build/bench/process_map")
  ps_time=$(median_of_runs_us ps -e -o comm=)
  scan_ratio=$(awk -v a="$scan" -v b="$ps_time" 'BEGIN { printf "%.2f", a / b }')
  echo "  process_map ${scan} us, ps ${ps_time} us: ${scan_ratio}x"
  summary+=("$(printf '  %-6s %-52s %s' "$(awk -v r="$scan_ratio" 'BEGIN { print (r <= 1.0) ? "MET" : "MISSED" }')" \
    "process scan no slower than ps" "${scan_ratio}x median wall")")
fi

# ---- start-up -------------------------------------------------------------
# Each program runs with the offscreen platform in its own throw-away home, so
# no run reads or writes the real user's files.
isolated_env() {
  local root="$1"
  mkdir -p "$root"/{home,config,config-dirs,data,cache,state,localappdata}
  mkdir -p -m 0700 "$root/runtime"
  echo "QT_QPA_PLATFORM=offscreen HOME=$root/home XDG_CONFIG_HOME=$root/config XDG_CONFIG_DIRS=$root/config-dirs" \
       "XDG_DATA_HOME=$root/data XDG_CACHE_HOME=$root/cache XDG_STATE_HOME=$root/state" \
       "XDG_RUNTIME_DIR=$root/runtime LOCALAPPDATA=$root/localappdata USERPROFILE=$root/home"
}

# The timed programs: 0 the sample product, 1 the bare program (the goal's
# yardstick), 2 the bare program with the sample product's widgets (tells the
# product's own user interface from the library).
product_exe="$build/examples/SampleProduct/SampleProduct"
bare_exe="$build/bench/bare_startup"
labels=("sample product" "bare_startup" "bare_startup --widgets")
have_product=1
[[ -x "$product_exe" ]] || have_product=0

# The command line of a timed program.
command_of() {
  case "$1" in
    0) if [[ $have_product -eq 1 ]]; then echo "$product_exe --quit-after=0"; else echo "$bare_exe"; fi ;;
    1) echo "$bare_exe" ;;
    2) echo "$bare_exe --widgets" ;;
  esac
}

# Prints the wall time of one run in microseconds; fails if the program fails.
# `env` replaces itself with the program, so nothing else is timed.
time_run() {
  local program="$1" start end
  local -a command
  read -r -a command <<<"$(command_of "$program")"
  start=$EPOCHREALTIME
  # shellcheck disable=SC2086
  if ! env ${environments[$program]} "${command[@]}" >/dev/null 2>&1; then
    echo "failed: ${command[*]}" >&2
    return 1
  fi
  end=$EPOCHREALTIME
  echo $(( ${end/./} - ${start/./} ))
}

median_us() {
  sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

min_us() {
  sort -n | head -n 1
}

ms() {
  awk -v v="$1" 'BEGIN { printf "%.1f", v / 1000 }'
}

ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}

if [[ $run_startup -eq 1 ]]; then
  echo
  echo "== Start-up: sample product against a bare Qt program ($runs runs each, in rotating order)"
  echo "  load average before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
  if [[ $have_product -eq 0 ]]; then
    echo "(the sample product is not built: timing bare_startup in its place)"
    labels[0]="bare_startup (in place of the product)"
  fi

  environments=()
  for program in 0 1 2; do
    environments[program]=$(isolated_env "$scratch/program$program")
  done

  # Warm-up runs fill the file cache and create the first-run files; not counted.
  for ((i = 0; i < warmups; i++)); do
    for program in 0 1 2; do
      time_run "$program" >/dev/null || exit 1
    done
  done

  times=("" "" "")
  for ((i = 0; i < runs; i++)); do
    # Rotate which program goes first so that none always gets the same turn.
    for ((k = 0; k < 3; k++)); do
      program=$(( (i + k) % 3 ))
      elapsed=$(time_run "$program") || exit 1
      times[program]+="$elapsed "
    done
  done

  medians=()
  minimums=()
  for program in 0 1 2; do
    medians[program]=$(tr ' ' '\n' <<<"${times[program]}" | grep . | median_us)
    minimums[program]=$(tr ' ' '\n' <<<"${times[program]}" | grep . | min_us)
    printf '  %-40s median %7s ms   min %7s ms\n' "${labels[program]}" "$(ms "${medians[program]}")" \
      "$(ms "${minimums[program]}")"
  done
  goal_ratio=$(ratio "${medians[0]}" "${medians[1]}")
  met=$(awk -v r="$goal_ratio" 'BEGIN { print (r <= 1.1) ? "MET" : "MISSED" }')
  echo "  product / bare_startup:             ${goal_ratio}x median (min $(ratio "${minimums[0]}" "${minimums[1]}")x), goal <= 1.1x: $met"
  echo "  product / bare_startup --widgets:   $(ratio "${medians[0]}" "${medians[2]}")x median (the library and the product's own start work)"
  echo "  bare --widgets / bare_startup:      $(ratio "${medians[2]}" "${medians[1]}")x median (the product's widgets alone)"
  summary+=("$(printf '  %-6s %-52s %s' "$met" "start-up within 1.1x of the bare program" \
    "median ratio ${goal_ratio}x (${labels[0]})")")
fi

echo
echo "== Summary"
for line in "${summary[@]}"; do
  echo "$line"
done
# A missed goal is a finding, not a failure; only a failed build or run fails.
exit "$status"
