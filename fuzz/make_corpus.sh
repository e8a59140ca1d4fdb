#!/usr/bin/env bash
# Writes the seed corpora from cdrgen: small files of every format, two seeds
# each (the OCB seeds give one plain and one prefixed file). Usage:
#   fuzz/make_corpus.sh path/to/cdrgen [path/to/lomtra]
# lomtra, when given, writes the report reader's seed from a batch run.
set -euo pipefail
cdrgen="$1"
lomtra="${2:-}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
corpus="$here/corpus"

# FORMAT SIZE: AXE needs eleven 2048-byte blocks to be recognised.
size_of() {
  case "$1" in
    axe) echo 22528 ;;
    ocb) echo 6K ;;
    *) echo 3K ;;
  esac
}

seed() {  # TARGET FORMAT...
  local target="$1"
  shift
  mkdir -p "$corpus/$target"
  for format in "$@"; do
    for s in 1 2; do
      "$cdrgen" "$format" "$corpus/$target/$format-$s.bin" --size "$(size_of "$format")" --seed "$s"
    done
  done
}

seed identify_switch axe ewsd cdot ocb e10b 5ess
seed detect_ocb ocb
seed detect_ewsd ewsd
seed detect_cdot cdot
seed detect_e10b e10b
seed detect_axe axe
seed detect_5ess 5ess
seed ewsd_walk ewsd
seed ocb_format ocb
seed cdot_sections cdot
seed axe_decoder axe
seed pardel_split axe

if [ -n "$lomtra" ]; then
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
  for format in ocb ewsd cdot; do
    "$cdrgen" "$format" "$work/$format.bin" --size "$(size_of "$format")" --seed 1
  done
  mkdir -p "$corpus/report_reader"
  "$lomtra" analyse --clock "2006-06-15 09:00:00" "$work/ocb.bin" "$work/ewsd.bin" "$work/cdot.bin" \
    --report "$corpus/report_reader/report.lmt" --quiet || true
fi
