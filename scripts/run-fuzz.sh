#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (packages clang and libclang-rt-14-dev) and runs each for
# FUZZ_SECONDS (60) from its seed corpus in fuzz/corpus/; a crash or a broken promise fails the run and leaves
# the input that caused it in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
for package in clang libclang-rt-14-dev; do
  if [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" != installed ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$package"
  fi
done

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDAWNBELL_FUZZ=ON \
  -DDAWNBELL_TESTS=OFF
for target in fuzz_playlist; do
  cmake --build build-fuzz --target "$target"
  work="build-fuzz/corpus-${target#fuzz_}"
  mkdir -p "$work"
  (cd build-fuzz && "fuzz/$target" -max_total_time="${FUZZ_SECONDS:-60}" -print_final_stats=1 \
    "../$work" "../fuzz/corpus/${target#fuzz_}")
done
