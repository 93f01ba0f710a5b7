#!/usr/bin/env bash
# Builds the Debian package in build-package/: a Release build of only what the package
# holds, with Debian's hardening flags, stripped, its dependencies found by dpkg-shlibdeps.
# Prints the package's path.
#   tools/package.sh
#   sudo apt-get install ./build-package/velmora-budget_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./setup-deps.sh package
# Debian's hardening flags; no debugging symbols, which stripping drops anyway.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
      -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build-package -j2 --target budget budget-newdb budget-backup budget_package_files
rm -f build-package/velmora-budget_*.deb
(cd build-package && cpack -G DEB >/dev/null)
ls build-package/velmora-budget_*.deb
