#!/usr/bin/env bash
# Builds the tests of the code that shares state between threads (wave output, the signal
# generator's engine) with ThreadSanitizer in a separate build folder, and runs them.
#   BUILD_DIR   build folder (default: build-tsan)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ensure-deps.sh

build_dir=${BUILD_DIR:-build-tsan}
# The window tests stay out: Qt's own threads are not instrumented and would be reported.
targets=(platform_waveout_tests siggen_tests)

launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBORVIK_BENCH=OFF "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" BORVIK_HOME="$scratch/home"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$BORVIK_HOME"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
# One GoogleTest report a target, for the count of skipped tests in .ci/run.
rm -f "$build_dir"/tsan-*.xml
for target in "${targets[@]}"; do
  binary=$(find "$build_dir/tests" -type f -name "$target" -perm -u+x | head -n 1)
  echo "== $target (ThreadSanitizer)"
  "$binary" --gtest_brief=1 --gtest_output="xml:$(cd "$build_dir" && pwd)/tsan-$target.xml"
done
