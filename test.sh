#!/usr/bin/env bash
# Builds everything and runs every test, headless.
#   BUILD_DIR   build folder (default: build)
#   SANITIZE=1  build with AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/ensure-deps.sh

build_dir=${BUILD_DIR:-build}
sanitize=OFF
[ "${SANITIZE:-0}" = "1" ] && sanitize=ON
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBORVIK_SANITIZE=$sanitize -DBORVIK_WERROR=$werror
cmake --build "$build_dir" -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
# No test may touch the user's real settings or documents.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" BORVIK_HOME="$scratch/home"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$BORVIK_HOME"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
# The JUnit report says which tests skipped and why (.ci/run counts them).
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" \
  --output-junit "$(cd "$build_dir" && pwd)/ctest-junit.xml"
