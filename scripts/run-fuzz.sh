#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under the address and undefined-behaviour sanitizers (packages clang,
# libclang-rt-14-dev and llvm) in build-fuzz/, and runs each for FUZZ_SECONDS (60) from its seed corpus in
# fuzz/corpus/<name>/ with its dictionary fuzz/<name>.dict. A crash, a leak, a hang (FUZZ_TIMEOUT, 20 seconds for
# one input) or a broken promise fails the run and leaves the input that caused it in build-fuzz/crashes/, with
# the line that replays it. FUZZ_TARGETS names fewer targets ("mci cue").
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup-debian.sh
for package in clang libclang-rt-14-dev llvm; do
  if [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" != installed ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$package"
  fi
done

targets=(${FUZZ_TARGETS:-playlist mci midi settings cue})
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDAWNBELL_FUZZ=ON \
  -DDAWNBELL_TESTS=ON
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}"

# The libraries' own leaks are no input's (fuzz/lsan.supp). The settings target leaves leaks unchecked: Qt keeps
# every settings file it read in a cache, so each input ends with more memory taken than it began with and a
# whole-heap leak scan would follow every input, a third of the speed; the engine's targets keep the check.
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp:print_suppressions=0"
mkdir -p build-fuzz/crashes
for name in "${targets[@]}"; do
  work="build-fuzz/corpus-$name"
  mkdir -p "$work"
  leaks=1
  [ "$name" = settings ] && leaks=0
  echo "== fuzz_$name for ${FUZZ_SECONDS:-60} s"
  # Paths are absolute: the engine's targets work in a home folder of their own.
  if ! "build-fuzz/fuzz/fuzz_$name" -max_total_time="${FUZZ_SECONDS:-60}" -timeout="${FUZZ_TIMEOUT:-20}" \
      -detect_leaks=$leaks -print_final_stats=1 -dict="$root/fuzz/$name.dict" \
      -artifact_prefix="$root/build-fuzz/crashes/$name-" "$root/$work" "$root/fuzz/corpus/$name"; then
    echo "fuzz_$name failed; replay: build-fuzz/fuzz/fuzz_$name -detect_leaks=$leaks build-fuzz/crashes/$name-*" >&2
    exit 1
  fi
done
