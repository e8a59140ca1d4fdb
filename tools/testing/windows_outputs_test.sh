#!/usr/bin/env bash
# The Windows command lines, run under Wine, write what the Linux ones write:
# the same stdout and output files byte for byte, the same exit status and
# the same messages (the console's CR before LF aside), on samples of every
# format, in a folder with a space, under names in Latin-1, Cyrillic and
# Japanese (input, folder and output), and on a sparse file above 4 GB.
#   windows_outputs_test.sh LINUX_BIN WINDOWS_BIN WORK_DIR
# LINUX_BIN holds the Linux programs and cdrgen; WINDOWS_BIN the .exe files.
# Wine comes from $WINE (default wine64); WINEPREFIX and WINEDEBUG from the
# environment.
set -uo pipefail
linux_bin=$1
windows_bin=$2
work=$3
wine=${WINE:-wine64}

for program in lomtra vantor ostrel kelvan pardel; do
  if [ ! -x "$linux_bin/$program" ]; then
    echo "no Linux $program in $linux_bin: nothing to compare with"
    exit 77
  fi
done

rm -rf "$work"
mkdir -p "$work/samples" "$work/linux" "$work/windows"
cd "$work" || exit 2

spaced="samples/with space"
latin="samples/donn$(printf '\xc3\xa9')es $(printf '\xc3\xa9')t$(printf '\xc3\xa9')"
# Names outside Latin-1 reach a program only through the wide command line
# and become paths only as UTF-8: the ANSI code page cannot hold them.
cyrillic="samples/данные звонков"
mkdir -p "$spaced" "$latin" "$cyrillic"
for format in axe ewsd ewsd-lomtra cdot cdot-bare ocb e10b 5ess; do
  "$linux_bin/cdrgen" "$format" "samples/$format-small.dat" --size 3000 --seed 1 >/dev/null
  "$linux_bin/cdrgen" "$format" "samples/$format-2M.dat" --size 2M --seed 2 >/dev/null
done
cp samples/ocb-small.dat "$spaced/ocb 1.dat"
cp samples/cdot-small.dat "$latin/cdot $(printf '\xc3\xa9').dat"
cp samples/ewsd-small.dat "$latin/ewsd.dat"
cp samples/ewsd-small.dat "$cyrillic/звонки.dat"
cp samples/cdot-small.dat "$cyrillic/cdot 通話.dat"
cp samples/axe-small.dat "$cyrillic/axe.dat"
cp samples/ocb-small.dat "$cyrillic/ocb.dat"

# Calls at the start, a hole past 4 GB (no disk used), calls again after it:
# every offset past 2^32 must be read as such.
big=samples/big-ocb.dat
cp samples/ocb-2M.dat "$big"
dd if=samples/ocb-2M.dat of="$big" bs=1M seek=4200 conv=notrunc status=none

# name|command words|file. The words are split on spaces; OUT and OUT2 stand
# for output files of the case, CLOCK for a fixed "now".
cases=()
add() { cases+=("$1"); }
for size in small 2M; do
  for format in axe ewsd ewsd-lomtra cdot cdot-bare ocb e10b 5ess; do
    add "lomtra-id-$format-$size|lomtra identify|samples/$format-$size.dat"
    add "lomtra-$format-$size|lomtra analyse --clock CLOCK|samples/$format-$size.dat"
  done
  add "vantor-$size|vantor extract -o OUT --columns 0-19|samples/ewsd-$size.dat"
  add "vantor-a-$size|vantor analyse|samples/ewsd-$size.dat"
  add "ostrel-$size|ostrel extract -o OUT --fields 1-18|samples/ocb-$size.dat"
  add "ostrel-a-$size|ostrel analyse|samples/ocb-$size.dat"
  add "kelvan-$size|kelvan extract -o OUT|samples/cdot-$size.dat"
  add "kelvan-fx-$size|kelvan extract -o - --fixed --fields 1,3,5,6 --area-code 22|samples/cdot-$size.dat"
  add "pardel-$size|pardel extract -o OUT|samples/axe-$size.dat"
done
add "ostrel-csv|ostrel extract --format csv -o OUT|samples/ocb-small.dat"
add "vantor-jsonl|vantor extract --format jsonl -o OUT|samples/ewsd-small.dat"
add "pardel-sample|pardel sample -o OUT|samples/axe-2M.dat"
add "lomtra-check|lomtra check|samples"
add "lomtra-report-folder|lomtra analyse --clock CLOCK --report OUT --csv OUT2|samples"
add "ostrel-spaced|ostrel extract -o OUT|$spaced/ocb 1.dat"
add "lomtra-spaced-folder|lomtra identify|$spaced"
add "kelvan-latin|kelvan extract -o OUT|$latin/cdot $(printf '\xc3\xa9').dat"
add "vantor-latin|vantor extract -o OUT|$latin/ewsd.dat"
add "vantor-cyrillic|vantor extract -o OUTU|$cyrillic/звонки.dat"
add "kelvan-cyrillic|kelvan extract -o OUTU|$cyrillic/cdot 通話.dat"
add "kelvan-cyrillic-foreign|kelvan extract -o OUT|$cyrillic/ocb.dat"
add "pardel-cyrillic|pardel extract -o OUTU|$cyrillic/axe.dat"
add "ostrel-a-cyrillic|ostrel analyse|$cyrillic/ocb.dat"
add "lomtra-cyrillic-folder|lomtra analyse --clock CLOCK --report OUTU|$cyrillic"
# ABS: names the file by its absolute path, on Windows with Wine's drive
# letter and backslashes.
add "vantor-drive-folder|vantor extract -o OUT|ABS:samples/ewsd-small.dat"
add "lomtra-drive-folder|lomtra analyse --clock CLOCK|ABS:$cyrillic/axe.dat"
add "lomtra-big|lomtra analyse --clock CLOCK|$big"
add "ostrel-a-big|ostrel analyse|$big"
add "ostrel-big|ostrel extract -o OUT --fields 1-5|$big"
add "lomtra-sqlite|lomtra analyse --sqlite OUT|samples/ocb-small.dat"

run_one() {  # side name program words... -- file
  local side=$1 name=$2 program=$3
  shift 3
  # Outputs get the same names on both sides (messages name them), then
  # move to the side's folder.
  local words=() file out="$name.txt" out2="$name.2.txt" outu="$name.вывод.txt"
  while [ "$1" != "--" ]; do
    case $1 in
      OUT) words+=("$out") ;;
      OUT2) words+=("$out2") ;;
      OUTU) words+=("$outu") ;;
      CLOCK) words+=("2026-12-07 10:00:00") ;;
      *) words+=("$1") ;;
    esac
    shift
  done
  file=$2
  case $file in
    ABS:*)
      file="$PWD/${file#ABS:}"
      if [ "$side" = windows ]; then file="Z:${file//\//\\}"; fi
      ;;
  esac
  if [ "$side" = linux ]; then
    "$linux_bin/$program" "${words[@]}" "$file" >"$side/$name.out" 2>"$side/$name.err"
  else
    # Wine reads the words in the locale's character set: UTF-8, as they are.
    LC_ALL=C.UTF-8 "$wine" "$windows_bin/$program.exe" "${words[@]}" "$file" >"$side/$name.out" \
      2>"$side/$name.err"
  fi
  echo "status $?" >>"$side/$name.err"
  for made in "$out" "$out2" "$outu"; do
    if [ -e "$made" ]; then mv "$made" "$side/"; fi
  done
}

failed=0
compared=0
for entry in "${cases[@]}"; do
  name=${entry%%|*}
  rest=${entry#*|}
  command=${rest%%|*}
  file=${rest#*|}
  read -r -a words <<<"$command"
  for side in linux windows; do run_one "$side" "$name" "${words[@]}" -- "$file"; done
  # The Windows console's messages end in CR LF, and the database the
  # Windows build leaves out says so instead of writing one.
  tr -d '\r' <"windows/$name.err" >"windows/$name.err.lf"
  # How long a run took is the clock's, not the program's.
  sed -i 's/in [0-9]* Minutes and [0-9]* Seconds/in M Minutes and S Seconds/' \
    "linux/$name.err" "windows/$name.err.lf"
  # A folder's files are named with the system's separator, and absolute
  # paths begin with the drive Wine gives the Linux root.
  case $name in
    *-folder)
      for made in "windows/$name.out" "windows/$name.txt" "windows/$name.2.txt" \
        "windows/$name.вывод.txt" "windows/$name.err.lf"; do
        if [ -e "$made" ]; then sed -i 's|\\|/|g; s|Z:/|/|g' "$made"; fi
      done
      ;;
  esac
  mismatch=""
  if [ "$name" = lomtra-sqlite ]; then
    grep -q -- "--sqlite is not in this build; use --csv" "windows/$name.err.lf" ||
      mismatch="no word that --sqlite is not in this build"
  else
    for suffix in out txt 2.txt вывод.txt; do
      [ -e "linux/$name.$suffix" ] || [ -e "windows/$name.$suffix" ] || continue
      cmp -s "linux/$name.$suffix" "windows/$name.$suffix" || mismatch="$mismatch $name.$suffix"
    done
    cmp -s "linux/$name.err" "windows/$name.err.lf" || mismatch="$mismatch $name.err"
  fi
  compared=$((compared + 1))
  if [ -n "$mismatch" ]; then
    failed=$((failed + 1))
    echo "DIFFERENT: $name ($command $file):$mismatch"
    diff <(head -c 2000 "linux/$name.err") <(head -c 2000 "windows/$name.err.lf") | head -10
  fi
done
rm -f "$big"
echo "$((compared - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
