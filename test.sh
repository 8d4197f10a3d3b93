#!/usr/bin/env bash
# Builds Quorvel and runs every test: the ordinary build, then the build with AddressSanitizer
# and UndefinedBehaviorSanitizer.
set -euo pipefail

cd "$(dirname "$0")"
source tools/packages.sh
tools/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

jobs="$(nproc)"

run_tests() {
  local dir="$1"
  shift
  echo "== $dir: build"
  cmake -S . -B "$dir" -G Ninja -DQUORVEL_BUILD_TESTS=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs" -- --quiet
  echo "== $dir: tests"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

run_tests build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_tests build-sanitize -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON
