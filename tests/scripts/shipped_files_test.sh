#!/usr/bin/env bash
# Every file the program ships beside it must be made by the commands that building the `borvik`
# target runs, so that `./run.sh` (which builds only that target) starts the whole program:
# calculator definitions, help file, version file and texts.
#   shipped_files_test.sh NINJA BUILD_DIR SOURCE_DIR
set -euo pipefail
ninja=$1 build=$2 source=$3
build=$(cd "$build" && pwd)
commands=$("$ninja" -C "$build" -t commands borvik)
status=0
expect() {
  if ! grep -qF -- "$build/$1" <<<"$commands"; then
    echo "The borvik target does not build $1" >&2
    status=1
  fi
}
for definition in "$source"/calculators/filters/*; do
  expect "filters/$(basename "$definition")"
done
expect borvik.chm
# The version file and the texts are copied when the build is configured: they must be there.
for shipped in version.ini readme.txt versions.txt hof.txt; do
  if [ ! -f "$build/$shipped" ]; then
    echo "$shipped does not lie beside the program in $build" >&2
    status=1
  fi
done
exit $status
