#!/usr/bin/env bash
# Builds a program and starts it: ./run.sh [borvik|ostrel] [arguments...]
# Only the program and what it links are built, so the first start does not wait for the tests.
# The program starts in the folder run.sh was called from, so file names on the command line are
# read from where the user typed them.
set -euo pipefail
repo=$(cd "$(dirname "$0")" && pwd)

program=${1:-borvik}
[ $# -gt 0 ] && shift
case "$program" in
  borvik|ostrel) ;;
  *) echo "Usage: ./run.sh [borvik|ostrel] [arguments...]" >&2; exit 2 ;;
esac
# A relative BUILD_DIR lies in the repository, as the build steps below see it.
build_dir=${BUILD_DIR:-build}
case "$build_dir" in
  /*) ;;
  *) build_dir=$repo/$build_dir ;;
esac
(
  cd "$repo"
  bash scripts/ensure-deps.sh
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build_dir" -j "$(nproc)" --target "$program"
)

exe="$build_dir/$program"
[ -x "$exe" ] || exe=$(find "$build_dir" -maxdepth 3 -type f -name "$program" -perm -u+x | head -n 1)
if [ -z "$exe" ]; then
  echo "No runnable '$program' has been built." >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "$program is a desktop program: run it inside a graphical session (or under xvfb-run)." >&2
  exit 1
fi
exec "$exe" "$@"
