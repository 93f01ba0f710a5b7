#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer
# in build-asan/ and runs the whole test suite there; any report, leaks included, fails
# the run. tools/lsan.supp names the only leaks let through: one-time allocations of the
# libraries the program uses, never the program's own.
set -euo pipefail
cd "$(dirname "$0")/.."
./setup-deps.sh
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUDGET_SANITIZE=ON >/dev/null
cmake --build build-asan -j2
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=0"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QTEST_DISABLE_STACK_DUMP=1
cd build-asan
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 1500
