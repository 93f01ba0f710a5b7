#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when missing.
#   ./setup-deps.sh                 what the build and the tests need
#   ./setup-deps.sh package         and what building the Debian package needs
#   ./setup-deps.sh package-check   and what checking the package needs (CI)
set -euo pipefail
PACKAGES=(cmake g++ ninja-build qt6-base-dev qt6-charts-dev qt6-svg-dev libqt6opengl6-dev
          libgl-dev sqlite3 libsqlite3-dev libchm-dev libofx-dev fp-utils xvfb xauth
          fonts-liberation clang libclang-rt-14-dev
          clang-format)
case "${1:-}" in
package) PACKAGES+=(dpkg-dev file) ;;
package-check) PACKAGES+=(dpkg-dev file lintian desktop-file-utils appstream imagemagick
                          x11-utils) ;;
"") ;;
*) echo "usage: setup-deps.sh [package | package-check]" >&2; exit 2 ;;
esac
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
