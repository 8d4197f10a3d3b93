#!/usr/bin/env bash
# Builds Quorvel and runs every test: the ordinary build, then the build with AddressSanitizer
# and UndefinedBehaviorSanitizer, then every fuzz target for a short time (fuzz/run.sh).
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
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
  run_tests build-sanitize -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON

# The fuzz targets need clang, installed for this step only. A target that fails leaves its
# input in build-fuzz/artifacts/<target>/ and fails the run.
if tools/ensure-packages.sh "${FUZZ_PACKAGES[@]}" && command -v clang++ >/dev/null; then
  fuzz/run.sh -t 15
else
  echo "== fuzz: skipped, clang is not available"
fi
