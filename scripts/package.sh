#!/usr/bin/env bash
# Builds the Debian package from a build tree of its own (no tests):
#
#   scripts/package.sh          -> build-package/velmora_<version>_amd64.deb
#
# which is cmake's install layout (deploy/CMakeLists.txt) packed by
# "cpack -G DEB", the executable stripped. BUILD_DIR picks another tree;
# -DVELMORA_VERSION=<x.y.z> in CMAKE_ARGS another version.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="$(pwd)/${BUILD_DIR:-build-package}"
scripts/setup.sh
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(pwd)}
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# shellcheck disable=SC2086
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_TESTS=OFF "${launcher[@]}" ${CMAKE_ARGS:-}
cmake --build "$BUILD" -j"$(nproc)"
rm -f "$BUILD"/velmora_*.deb
(cd "$BUILD" && cpack -G DEB)
ls "$BUILD"/velmora_*.deb
