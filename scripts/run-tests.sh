#!/usr/bin/env bash
# Sets up a Debian 12 machine (as root), builds Dawnbell with its tests and runs the whole suite headless.
#   DAWNBELL_SANITIZE=1  the whole suite under the address and undefined-behaviour sanitizers
#   DAWNBELL_TSAN=1      the media engine's tests under the thread sanitizer
# A test that fails fails the run: nothing is retried.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh

build=build-tests
options=(-DCMAKE_BUILD_TYPE=Debug -DDAWNBELL_WERROR=ON -DDAWNBELL_TESTS=ON)
selection=()
if [ "${DAWNBELL_SANITIZE:-0}" = 1 ]; then
  build=build-sanitize
  options+=(-DDAWNBELL_SANITIZE=ON)
elif [ "${DAWNBELL_TSAN:-0}" = 1 ]; then
  build=build-tsan
  options+=(-DDAWNBELL_TSAN=ON)
  selection=(-L media)
  export TSAN_OPTIONS="suppressions=$PWD/tests/platform/media/tsan.supp halt_on_error=1 ${TSAN_OPTIONS:-}"
fi

cmake -S . -B "$build" -G Ninja "${options[@]}"
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --no-tests=error --timeout 600 -j2 "${selection[@]}"
