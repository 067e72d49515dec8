#!/usr/bin/env bash
# Sets up a Debian 12 machine (as root), builds Dawnbell and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDAWNBELL_TESTS=OFF
cmake --build build-run --target dawnbell
exec build-run/app/dawnbell "$@"
