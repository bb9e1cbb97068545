#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for a short while on a copy of its seed
# corpus. A crash, leak, sanitizer report or time-out fails the run.
#   FUZZ_SECONDS  seconds per target (default 20)
#   BUILD_DIR     build folder (default: build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ensure-deps.sh

build_dir=${BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-20}
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBORVIK_FUZZ=ON -DBORVIK_BENCH=OFF >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target borvik_fuzzers

export QT_QPA_PLATFORM=offscreen
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" BORVIK_HOME="$scratch/home"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$BORVIK_HOME"

failed=0
ran=0
for fuzzer in $(find "$(cd "$build_dir" && pwd)" -type f -name '*_fuzz' -perm -u+x | sort); do
  name=$(basename "$fuzzer" _fuzz)
  corpus="$scratch/corpus-$name"
  mkdir -p "$corpus"
  cp -r "tests/fuzz/corpus/$name/." "$corpus/" 2>/dev/null || true
  echo "fuzzing $name for ${seconds}s"
  if (cd "$scratch" && "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=0 "$corpus" >"$scratch/$name.log" 2>&1); then
    ran=$((ran + 1))
  else
    echo "fuzzer $name failed:"
    tail -n 60 "$scratch/$name.log"
    failed=$((failed + 1))
  fi
done
echo "fuzzing: $ran passed, $failed failed"
[ "$failed" -eq 0 ]
