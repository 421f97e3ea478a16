#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the sample host need (only the
# missing ones; safe to run again), then configures and builds the tree with Ninja and ccache.
#   scripts/bootstrap.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
  libgtest-dev googletest libsqlite3-dev sqlite3 libpq-dev postgresql
  xvfb xauth fonts-liberation
  shapelib libshp-dev pxlib-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} \
  -DKORVI_WERROR=$werror >/dev/null
cmake --build "$build"
