#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz, and runs them from the seed corpus the build makes from
# the receiver emulator's traffic.
#
#   scripts/fuzz.sh TARGET SECONDS   one target for SECONDS seconds
#   scripts/fuzz.sh all SECONDS      every target in turn, SECONDS seconds each
#   scripts/fuzz.sh list             the targets
#
# Targets: rx_dispatch replay script_console almanac_file position_file port_settings.
# New inputs that add coverage are kept in build/fuzz/corpus/TARGET and used by the next run; a
# finding is written to build/fuzz/artifacts/ and ends the run with a non-zero status. Extra
# libFuzzer options may follow SECONDS (for example -runs=1000 or -max_len=8192).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

TARGETS=(rx_dispatch replay script_console almanac_file position_file port_settings)
BUILD=build/fuzz

usage() {
  sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

target=${1:-}
[[ $target == list ]] && { printf '%s\n' "${TARGETS[@]}"; exit 0; }
[[ $# -ge 2 && $2 =~ ^[0-9]+$ ]] || usage
seconds=$2
shift 2
if [[ $target == all ]]; then
  selected=("${TARGETS[@]}")
elif [[ " ${TARGETS[*]} " == *" $target "* ]]; then
  selected=("$target")
else
  echo "fuzz.sh: unknown target '$target' (${TARGETS[*]})" >&2
  exit 2
fi

command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is missing (apt-get install clang)" >&2; exit 1; }

# Build output goes to standard error, as in dev.sh.
# Optimised for speed of both building and fuzzing, assertions kept, line tables for the traces.
# Runs started side by side (one target each) take turns to configure and build the one folder.
mkdir -p "$BUILD"
exec 9>"$BUILD/.build.lock"
flock 9
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" \
  -DZELKON_FUZZ=ON -DZELKON_SANITIZE=address,undefined -DZELKON_WERROR=ON \
  -DZELKON_BUILD_TESTS=OFF -DZELKON_BUILD_BENCH=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON >&2
cmake --build "$BUILD" -j2 --target fuzz_seeds "${selected[@]/#/fuzz_}" >&2
exec 9>&-

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$BUILD/artifacts"
for t in "${selected[@]}"; do
  echo "== fuzz $t, ${seconds}s ==" >&2
  mkdir -p "$BUILD/corpus/$t"
  options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$BUILD/artifacts/$t-")
  [[ -f $BUILD/seeds/$t.dict ]] && options+=(-dict="$BUILD/seeds/$t.dict")
  "$BUILD/fuzz/fuzz_$t" "${options[@]}" "$@" "$BUILD/corpus/$t" "$BUILD/seeds/$t"
done
