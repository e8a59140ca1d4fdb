#!/usr/bin/env bash
# Pictures of every window for the manual and the README: builds the suite's
# picture tools, writes sample files with cdrgen and shows each program's
# windows offscreen on them. The pictures land in docs/images/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
images="${IMAGES_DIR:-$root/docs/images}"
# A plain folder name, as it shows in the pictures.
work=/tmp/billing
rm -rf "$work"

cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target cdrgen_cli window_shots

# Sample files, one folder per format; the analyser's folder gets one of each.
samples="$work"
gen() { mkdir -p "$samples/$1"; "$build/bin/cdrgen" "$2" "$samples/$1/$3" --size "$4" --seed "$5"; }
gen ewsd ewsd IAICAMA.0612 60K 11
gen ewsd ewsd IAICAMA.0613 80K 12
gen ocb ocb OCB0612.DAT 64K 21
gen ocb ocb OCB0613.DAT 96K 22
gen cdot cdot TGCBR0612.DAT 40K 31
gen cdot cdot TGCBR0613.DAT 50K 32
gen axe axe TTFILE01 40K 41
gen axe axe TTFILE02 60K 42
# The analyser takes EWSD and C-DOT files in the layouts of its own samples.
gen analyser ewsd-lomtra IAICAMA.0612 60K 11 2>/dev/null || gen analyser ewsd IAICAMA.0612 60K 11
gen analyser ocb OCB0612.DAT 64K 21
gen analyser cdot-lomtra TGCBR0612.DAT 40K 31 2>/dev/null || gen analyser cdot TGCBR0612.DAT 40K 31
gen analyser axe TTFILE01 40K 41
gen analyser e10b E10B0612.DAT 48K 51
gen analyser 5ess AMA0612.DAT 48K 61

mkdir -p "$images"
export QT_QPA_PLATFORM=offscreen
for tool in "$build"/docs/window_shots_*; do
  [ -f "$tool" ] && [ -x "$tool" ] || continue
  "$tool" "$samples" "$images"
done
echo "Pictures in $images"
