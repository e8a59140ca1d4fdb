#!/usr/bin/env bash
# The main job: builds the suite, writes sample files with cdrgen and opens
# the AXE extractor on them (a window when there is a display, otherwise a
# batch extraction whose output is printed).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
samples="${SAMPLES_DIR:-$root/out/samples}"

bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "${JOBS:-2}"

mkdir -p "$samples"
"$build/bin/cdrgen" axe "$samples/axe-1.dat" --size 40K --seed 1
"$build/bin/cdrgen" axe "$samples/axe-2.dat" --size 100K --seed 2
echo "Sample files in $samples"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cd "$samples" && exec "$build/bin/pardel"
else
  "$build/bin/pardel" extract -o "$samples/pardel.txt" "$samples"/axe-*.dat
  head -n 20 "$samples/pardel.txt"
fi
