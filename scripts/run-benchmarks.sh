#!/usr/bin/env bash
# Builds Dawnbell in Release and prints its benchmark figures: the media engine (CPU per second of audio, play
# to sound, memory with the sound font) and the program (start-up to the painted window, idle CPU and wake-ups
# with the alarm armed and the window shown, resident memory, the onset of a sound-file, CD and MIDI alarm after
# its second), the settings dialog and the playlist files. Figures only: nothing here passes or fails on a time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build-release --target bench_media bench_program bench_options bench_playlist dawnbell

echo "== media engine"
build-release/bench/bench_media --seconds "${BENCH_SECONDS:-30}"
# The onsets of the alarms do not depend on the display: measured once, on the X server when there is one.
onset_runs=${BENCH_ONSET_RUNS:-5}
echo "== program, offscreen"
QT_QPA_PLATFORM=offscreen build-release/bench/bench_program --idle-seconds "${BENCH_IDLE_SECONDS:-60}" \
  --onset-runs "$(command -v xvfb-run >/dev/null && echo 0 || echo "$onset_runs")"
echo "== settings dialog, offscreen"
QT_QPA_PLATFORM=offscreen build-release/bench/bench_options
echo "== playlist files, offscreen"
QT_QPA_PLATFORM=offscreen build-release/bench/bench_playlist
if command -v xvfb-run >/dev/null; then
  # With a session bus, as on a desktop: without one, the first use of it (Qt's accessibility bridge) starts
  # dbus-launch from inside the program, tens of ms at a random moment of a measurement.
  session=()
  command -v dbus-run-session >/dev/null && session=(dbus-run-session --)
  echo "== program, on an X server (Xvfb${session:+, with a D-Bus session})"
  QT_QPA_PLATFORM=xcb "${session[@]}" xvfb-run -a build-release/bench/bench_program --idle-seconds "${BENCH_IDLE_SECONDS:-60}" \
    --onset-runs "$onset_runs"
fi
