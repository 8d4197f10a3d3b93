#!/usr/bin/env bash
# Builds the fuzz targets in their own clang build folder, makes seed corpora and runs every
# target, two at a time.
#
#   fuzz/run.sh [-t SECONDS | -r RUNS] [TARGET...]
#
# Each target runs for SECONDS (default 20) or RUNS executions. Inputs that found new coverage
# stay in build-fuzz/corpus/<target>/ for the next run. A target that crashes, hangs, leaks or
# runs out of memory fails the script, which names the saved input:
# build-fuzz/artifacts/<target>/crash-... (or timeout-, leak-, oom-). Copy such an input to
# fuzz/regressions/<target>/ once it is fixed: the ordinary test run replays it from there.
set -euo pipefail

cd "$(dirname "$0")/.."
root="$PWD"
build="$root/build-fuzz"
limit=(-max_total_time=20)
while getopts "t:r:" option; do
  case "$option" in
    t) limit=(-max_total_time="$OPTARG") ;;
    r) limit=(-runs="$OPTARG") ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))

all=(replay_file compressed_data game_start command_block blp_data slk_table profile_text
     object_editor translate_entries pe_version wine_registry standalone_reader ini_file
     block_inflation)
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=("${all[@]}")

# Longest input of each target: long enough for what the target reads, short enough that a
# run makes many executions.
max_len() {
  case "$1" in
    replay_file | standalone_reader) echo 16384 ;;
    block_inflation) echo 12000 ;;
    blp_data) echo 65536 ;;
    slk_table | profile_text | object_editor) echo 16384 ;;
    *) echo 4096 ;;
  esac
}

echo "== fuzz: build"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORVEL_FUZZ=ON -DQUORVEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -- --quiet fuzz_make_seeds "${targets[@]/#/fuzz_}"

echo "== fuzz: seeds"
rm -rf "$build/seeds"
"$build/fuzz/fuzz_make_seeds" "${QUORVEL_CORPUS:-$root/../shared/corpus}" "$build/seeds"

run_one() {
  local target="$1"
  local corpus="$build/corpus/$target" artifacts="$build/artifacts/$target/"
  local log="$build/logs/$target.log"
  mkdir -p "$corpus" "$artifacts" "$build/logs"
  local seeds=()
  [[ -d "$build/seeds/$target" ]] && seeds=("$build/seeds/$target")
  [[ -d "$root/fuzz/regressions/$target" ]] && seeds+=("$root/fuzz/regressions/$target")
  if "$build/fuzz/fuzz_$target" "${limit[@]}" -max_len="$(max_len "$target")" -timeout=10 \
      -rss_limit_mb=2048 -malloc_limit_mb=1024 -print_final_stats=1 \
      -artifact_prefix="$artifacts" "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    echo "fuzz $target: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$') executions, no failure"
  else
    echo "fuzz $target: FAILED, log $log"
    grep -E "^(==[0-9]+==ERROR|SUMMARY|.*Test unit written to)" "$log" | head -5 || true
    return 1
  fi
}

echo "== fuzz: run"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=0
pids=()
for target in "${targets[@]}"; do
  run_one "$target" &
  pids+=($!)
  if [[ ${#pids[@]} -eq 2 ]]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[1]}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
if [[ $failed -ne 0 ]]; then
  echo "fuzz: a target failed; its input is in $build/artifacts/<target>/"
  exit 1
fi
