#!/usr/bin/env bash
# Builds the libFuzzer programs with clang in build-fuzz/ and runs each one for SECONDS
# (default 20) on its kept inputs under tests/fuzz/<target>/. New inputs that widen the
# coverage are collected in build-fuzz/corpus/<target>/; an input that breaks a target
# is written to build-fuzz/crashes/ and the script fails. Copy such an input into
# tests/fuzz/<target>/ with the fix, so every test run tries it again.
#   tools/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
./setup-deps.sh
seconds="${1:-20}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(amount sqlformat dialect gridwriters helplookup csv qif ofx)

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DBUDGET_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]/#/fuzz_}"

mkdir -p build-fuzz/crashes
status=0
for t in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$t"
  echo "== fuzz_$t for ${seconds}s"
  # Leaks are left to the sanitizer run of the test suite: the toolkit's caches filled
  # by the first input would be taken for leaks of that input here.
  if ! QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
      "build-fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="build-fuzz/crashes/$t-" -print_final_stats=1 \
      "build-fuzz/corpus/$t" "tests/fuzz/$t" 2>"build-fuzz/fuzz_$t.log"; then
    status=1
    tail -40 "build-fuzz/fuzz_$t.log"
  fi
  grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "build-fuzz/fuzz_$t.log" | tail -2 || true
done
exit $status
