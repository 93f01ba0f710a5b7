#!/usr/bin/env bash
# Installs, builds and starts the program on build/Data.mdb (made empty when missing).
set -euo pipefail
cd "$(dirname "$0")"
./build.sh budget budget-newdb
[ -f build/Data.mdb ] || build/budget-newdb build/Data.mdb
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a build/budget
fi
exec build/budget
