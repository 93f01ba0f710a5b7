#!/usr/bin/env bash
# Installs, builds and runs every test; exits non-zero when any fails.
set -euo pipefail
cd "$(dirname "$0")"
./build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
