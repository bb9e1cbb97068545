#!/usr/bin/env bash
# Builds the toolkit and starts a program: ./run.sh [borvik|ostrel] [arguments...]
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/ensure-deps.sh

program=${1:-borvik}
[ $# -gt 0 ] && shift
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build_dir" -j "$(nproc)"

exe=$(find "$build_dir" -maxdepth 3 -type f -name "$program" -perm -u+x | head -n 1)
if [ -z "$exe" ] && [ "$program" = "borvik" ]; then
  echo "Borvik's main window is not built yet; starting Ostrel, the vented-box designer, instead."
  program=ostrel
  exe=$(find "$build_dir" -maxdepth 3 -type f -name ostrel -perm -u+x | head -n 1)
fi
if [ -z "$exe" ]; then
  echo "Not yet: no runnable '$program' has been built." >&2
  exit 1
fi
exec "$exe" "$@"
