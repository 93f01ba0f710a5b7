#!/usr/bin/env bash
# Installs what is missing, then configures and builds in build/ (everything, or the
# targets named on the command line).
set -euo pipefail
cd "$(dirname "$0")"
./setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ $# -gt 0 ]; then
  cmake --build build -j"$(nproc)" --target "$@"
else
  cmake --build build -j"$(nproc)"
fi
