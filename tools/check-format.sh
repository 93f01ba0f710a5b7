#!/usr/bin/env bash
# Fails when a C++ source under version control is out of the project's format
# (.clang-format); `clang-format -i` on the files it names puts them right.
set -euo pipefail
cd "$(dirname "$0")/.."
./setup-deps.sh
find src tests bench tools fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run -Werror
