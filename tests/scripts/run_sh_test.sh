#!/usr/bin/env bash
# run.sh hands the program the file names as the user typed them, read from the folder the user
# typed them in, however run.sh itself was reached. The script runs on a copy of the repository's
# start-up layout whose build steps are stand-ins: nothing is built, the "program" reports its
# folder and whether each argument names an existing file.
#   run_sh_test.sh PATH/TO/run.sh
set -euo pipefail
run_sh=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

repo=$scratch/repo
mkdir -p "$repo/scripts" "$repo/build" "$scratch/bin" "$scratch/work/Projects"
cp "$run_sh" "$repo/run.sh"
printf '#!/usr/bin/env bash\nexit 0\n' >"$repo/scripts/ensure-deps.sh"
# cmake stands in for configuring and building.
printf '#!/usr/bin/env bash\nexit 0\n' >"$scratch/bin/cmake"
cat >"$repo/build/borvik" <<'PROGRAM'
#!/usr/bin/env bash
echo "folder=$PWD"
for name in "$@"; do
  if [ -f "$name" ]; then echo "found=$name"; else echo "missing=$name"; fi
done
PROGRAM
chmod +x "$scratch/bin/cmake" "$repo/build/borvik"
echo "[ProjectInfo]" >"$scratch/work/Projects/woofer.bvp"
echo "[ProjectInfo]" >"$scratch/work/woofer.bvp"

failures=0
check() { # description, expected line, output
  if ! grep -qxF -- "$2" <<<"$3"; then
    echo "FAIL: $1: expected \"$2\" in:" >&2
    echo "$3" >&2
    failures=$((failures + 1))
  fi
}

export PATH="$scratch/bin:$PATH" DISPLAY=${DISPLAY:-:99}
unset BUILD_DIR

out=$(cd "$scratch/work" && bash "$repo/run.sh" borvik Projects/woofer.bvp)
check "a relative name typed in the user's folder" "found=Projects/woofer.bvp" "$out"
check "the program runs in the user's folder" "folder=$scratch/work" "$out"

out=$(cd "$scratch/work" && bash ../repo/run.sh borvik woofer.bvp)
check "run.sh reached through a relative path" "found=woofer.bvp" "$out"

out=$(cd "$scratch/work/Projects" && bash "$repo/run.sh" borvik ../woofer.bvp "$scratch/work/woofer.bvp")
check "a name that climbs out of the user's folder" "found=../woofer.bvp" "$out"
check "an absolute name" "found=$scratch/work/woofer.bvp" "$out"

[ $failures -eq 0 ]
