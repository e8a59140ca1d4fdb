#!/usr/bin/env bash
# Speed and memory of every batch command on large sample files.
#
#   bench/run.sh [SIZE] [--repeat N] [--keep] [--formats]
#                                                SIZE like 100M or 1G (default 1G);
#                                                --formats: also csv, jsonl and sqlite
#   bench/run.sh --micro [benchmark options]    the micro-benchmarks only
#   bench/run.sh --list [N]                      only lomtra's window on N small files
#   bench/run.sh --db [benchmark options]       calls a second into SQLite and into
#                                                a throwaway PostgreSQL server
#   bench/run.sh --calls [SIZE]                  lomtra's call checks (duplicates, quiet
#                                                stretches) on SIZE of EWSD, OCB, C-DOT
#                                                and AXE files, against `lomtra analyse`
#   bench/run.sh --many [N]                      N files of 2 MB of mixed types (default
#                                                500): lomtra analyse and each extractor
#                                                against `cat` of the same files
#
# For each format it writes one file with cdrgen, reads it once so that the
# page cache is warm, then measures `cp FILE OUT` (reading and writing as many
# bytes), `wc -l FILE` (reading only) and the programs on the same file, one
# after the other, so that all see the same machine load, each after a sync
# so that none pays for the writes of the one before. With --repeat N
# each command runs N times and the fastest run counts. Files go under
# BENCH_DIR (default build/bench-data) and are deleted afterwards unless --keep.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
data=${BENCH_DIR:-$build/bench-data}
size=1G
repeat=1
keep=0
micro=0
formats=0
db=0
micro_args=()
list_only=0
list_files=2000
calls_only=0
many_only=0
many_files=500
while [ $# -gt 0 ]; do
  case "$1" in
    --micro) micro=1; shift; micro_args=("$@"); break ;;
    --db) db=1; shift; micro_args=("$@"); break ;;
    --repeat) repeat=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    --formats) formats=1; shift ;;
    --calls) calls_only=1; shift ;;
    --many) many_only=1; shift
            if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then many_files=$1; shift; fi ;;
    --list) list_only=1; shift
            if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then list_files=$1; shift; fi ;;
    -h|--help) sed -n '2,24p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "run.sh: unknown option $1" >&2; exit 2 ;;
    *) size=$1; shift ;;
  esac
done

if [ ! -x /usr/bin/time ]; then
  echo "run.sh: /usr/bin/time is missing; run scripts/deps.sh first" >&2
  exit 2
fi

targets=(cdrgen_cli vantor ostrel kelvan pardel lomtra window_run_vantor window_run_ostrel window_run_kelvan
         window_run_pardel window_run_lomtra)
[ "$micro" = 1 ] && targets=(suite_micro_benchmarks)
[ "$db" = 1 ] && targets=(suite_db_benchmarks)
[ "$list_only" = 1 ] && targets=(cdrgen_cli lomtra window_run_lomtra)
[ "$calls_only" = 1 ] && targets=(cdrgen_cli lomtra call_checks_run)
[ "$many_only" = 1 ] && targets=(cdrgen_cli vantor ostrel kelvan pardel lomtra)
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
ninja -C "$build" -j"$(nproc)" "${targets[@]}" >/dev/null
bin=$build/bin

if [ "$micro" = 1 ]; then
  exec "$bin/suite_micro_benchmarks" "${micro_args[@]}"
fi
if [ "$db" = 1 ]; then
  exec bash "$root/scripts/pg_test_server.sh" run "$build/bench-pg-server" -- \
    "$bin/suite_db_benchmarks" "${micro_args[@]}"
fi

mkdir -p "$data"
out=$data/out.txt
times=$data/time.txt
cleanup() { rm -f "$out" "$times"; [ "$keep" = 1 ] || rm -f "$data"/sample.*; }
trap cleanup EXIT

# measure NAME COMMAND...: runs the command `repeat` times under /usr/bin/time
# and sets wall, cpu and peak (KiB) of the fastest run.
measure() {
  wall=""; cpu=""; peak=""
  local i w u s m
  for ((i = 0; i < repeat; i++)); do
    rm -f "$out"
    # Dirty pages of the previous command's output would slow this one's
    # writes: every command starts with them on disk.
    sync
    /usr/bin/time -f "%e %U %S %M" -o "$times" "$@" >/dev/null 2>"$data/stderr.txt" || {
      echo "run.sh: failed: $*" >&2; cat "$data/stderr.txt" >&2; exit 1; }
    read -r w u s m <"$times"
    if [ -z "$wall" ] || awk "BEGIN{exit !($w < $wall)}"; then
      wall=$w; cpu=$(awk "BEGIN{printf \"%.2f\", $u + $s}"); peak=$m
    fi
  done
  rm -f "$out" "$data/stderr.txt"
}

row() {  # program command bytes baseline_name baseline_wall target
  local mbs ratio
  mbs=$(awk "BEGIN{w = $wall < 0.01 ? 0.01 : $wall; printf \"%.0f\", $3 / 1048576 / w}")
  if [ -n "$5" ]; then
    ratio=$(awk "BEGIN{b = $5 < 0.01 ? 0.01 : $5; printf \"%.2f x %s\", $wall / b, \"$4\"}")
  else
    ratio="-"
  fi
  printf '| %-8s | %-24s | %7s | %6s | %6s | %-11s | %-13s | %8s |\n' \
    "$1" "$2" "$mbs" "$wall" "$cpu" "$ratio" "$6" "$(awk "BEGIN{printf \"%.1f\", $peak / 1024}")"
}

# lomtra's window on a long list of small files against `lomtra analyse` on
# the same folder: every row is analysed, so a window that redraws the whole
# list per file shows here.
list_run() {
  local list=$data/list i f formats=(ewsd-lomtra ocb cdot-bare axe e10b 5ess)
  rm -rf "$list"
  mkdir -p "$list"
  for ((i = 0; i < list_files; i++)); do
    f=${formats[i % ${#formats[@]}]}
    "$bin/cdrgen" "$f" "$list/$(printf '%05d' "$i").$f" --size 4K --seed "$i" >/dev/null
  done
  cat "$list"/* >/dev/null
  sync
  local start end batch window
  start=$(date +%s.%N)
  "$bin/lomtra" analyse --quiet "$list" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  batch=$(awk "BEGIN{printf \"%.3f\", $end - $start}")
  window=$("$bin/window_run_lomtra" "$list" 2>/dev/null || true)
  printf '| %-8s | %-30s | %7s |\n' lomtra "analyse $list_files small files" "$batch"
  printf '| %-8s | %-30s | %7s | %s |\n' lomtra "window: $list_files small files" "$window" \
    "$(awk "BEGIN{b = $batch < 0.01 ? 0.01 : $batch; printf \"%.2f x batch (target <= 1.5)\", $window / b}")"
  [ "$keep" = 1 ] || rm -rf "$list"
}

# `lomtra check` against `lomtra analyse` on one folder of SIZE of mixed
# files: the check analyses them too, then reads the formats' numbering,
# compares files of one size and reads every call.
check_run() {
  local mixed=$data/mixed f n=0 formats=(ewsd-lomtra ocb cdot-bare axe e10b 5ess)
  local part=$(( $(numfmt --from=iec "$size") / ${#formats[@]} ))
  rm -rf "$mixed"
  mkdir -p "$mixed"
  for f in "${formats[@]}"; do
    "$bin/cdrgen" "$f" "$mixed/$n.$f" --size "$part" --seed 1 >/dev/null
    n=$((n + 1))
  done
  cat "$mixed"/* >/dev/null
  local bytes analyse_wall
  bytes=$(du -cb "$mixed"/* | tail -1 | cut -f1)
  measure "$bin/lomtra" analyse --quiet "$mixed"
  analyse_wall=$wall
  row lomtra "analyse FOLDER (mixed)" "$bytes" wc "" ""
  # Exit status 1 only says that something was found.
  measure bash -c '"$0" check --quiet "$1"; [ $? -le 1 ]' "$bin/lomtra" "$mixed"
  row lomtra "check FOLDER (mixed)" "$bytes" analyse "$analyse_wall" "<= 3 x analyse"
  [ "$keep" = 1 ] || rm -rf "$mixed"
}

# Many small files of mixed types: a month of an exchange's files. Each
# program reads the files of its own type, on every core, and `cat` of the
# same files is the baseline.
many_run() {
  local many=$data/many i f formats=(ewsd ocb cdot axe e10b 5ess) files bytes cat_wall
  rm -rf "$many"
  mkdir -p "$many"
  for ((i = 0; i < many_files; i++)); do
    f=${formats[i % ${#formats[@]}]}
    "$bin/cdrgen" "$f" "$many/$(printf '%05d' "$i").$f" --size 2M --seed "$i" >/dev/null
  done
  cat "$many"/* >/dev/null
  sync
  echo "# $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $many_files files of 2 MB, best of $repeat"
  for pair in lomtra:"*" vantor:ewsd ostrel:ocb kelvan:cdot pardel:axe; do
    local program=${pair%%:*} type=${pair#*:}
    # shellcheck disable=SC2206
    files=($many/*.$type)
    bytes=$(du -cb "${files[@]}" | tail -1 | cut -f1)
    measure cat "${files[@]}"
    cat_wall=$wall
    row "$program" "cat ${#files[@]} files" "$bytes" "" "" "baseline"
    if [ "$program" = lomtra ]; then
      measure "$bin/lomtra" analyse --quiet "${files[@]}"
      row lomtra "analyse ${#files[@]} files" "$bytes" cat "$cat_wall" "<= 1.2 x cat"
    else
      measure "$bin/$program" extract -o "$out" --quiet "${files[@]}"
      row "$program" "extract ${#files[@]} files" "$bytes" cat "$cat_wall" "<= 1.2 x cat"
    fi
  done
  [ "$keep" = 1 ] || rm -rf "$many"
}

if [ "$many_only" = 1 ]; then
  mkdir -p "$data"
  many_run
  exit 0
fi

if [ "$list_only" = 1 ]; then
  mkdir -p "$data"
  list_run
  exit 0
fi

# The call checks read every call of a mixed set, a quarter of SIZE in each
# decoded format, and keep under 256 MiB whatever their number.
if [ "$calls_only" = 1 ]; then
  mkdir -p "$data"
  quarter=$(numfmt --from=iec "$size")
  quarter=$((quarter / 4))
  set_files=()
  for format in ewsd ocb cdot axe; do
    "$bin/cdrgen" "$format" "$data/sample.$format" --size "$quarter" --seed 1 >/dev/null
    set_files+=("$data/sample.$format")
  done
  cat "${set_files[@]}" >/dev/null
  sync
  /usr/bin/time -f "%e %M" -o "$times" "$bin/lomtra" analyse --quiet "${set_files[@]}" \
    >/dev/null 2>&1 || true
  read -r analyse_wall analyse_peak <"$times"
  echo "lomtra analyse: $analyse_wall s, peak $((analyse_peak / 1024)) MiB"
  /usr/bin/time -f "%e %M" -o "$times" "$bin/call_checks_run" --temp "$data" "${set_files[@]}"
  read -r checks_wall checks_peak <"$times"
  echo "call checks: $checks_wall s ($(awk "BEGIN{printf \"%.2f\", $checks_wall / ($analyse_wall < 0.01 ? 0.01 : $analyse_wall)}") x analyse), peak $((checks_peak / 1024)) MiB"
  exit 0
fi

echo "# $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), size $size, best of $repeat"
printf '| %-8s | %-24s | %7s | %6s | %6s | %-11s | %-13s | %8s |\n' \
  program command "MB/s" "wall s" "CPU s" ratio target "peak MiB"
printf '|%s|%s|%s|%s|%s|%s|%s|%s|\n' ---------- -------------------------- --------- \
  -------- -------- ------------- --------------- ----------

for format in ewsd ocb cdot cdot-bare axe e10b 5ess; do
  file=$data/sample.$format
  "$bin/cdrgen" "$format" "$file" --size "$size" --seed 1
  bytes=$(stat -c %s "$file")
  cat "$file" >/dev/null  # warm the page cache

  measure cp "$file" "$out"; cp_wall=$wall
  row "$format" "cp FILE OUT" "$bytes" "" "" "baseline"
  measure wc -l "$file"; wc_wall=$wall
  row "$format" "wc -l FILE" "$bytes" "" "" "baseline"

  extract=""
  case $format in
    ewsd) extract=vantor ;;
    ocb) extract=ostrel ;;
    cdot) extract=kelvan ;;
    axe) extract=pardel ;;
  esac
  if [ -n "$extract" ]; then
    measure "$bin/$extract" extract -j 1 -o "$out" --quiet "$file"
    row "$extract" "extract -j 1 -o OUT FILE" "$bytes" cp "$cp_wall" "-"
    one_wall=$wall
    measure "$bin/$extract" extract -o "$out" --quiet "$file"
    row "$extract" "extract -o OUT FILE" "$bytes" cp "$cp_wall" "<= 2 x cp"
    printf '|          | %-24s | %7s |\n' "faster than -j 1" \
      "$(awk "BEGIN{printf \"%.2f x\", $one_wall / ($wall < 0.01 ? 0.01 : $wall)}")"
    batch_wall=$wall
    if [ "$formats" = 1 ]; then
      for table in csv jsonl; do
        measure "$bin/$extract" extract --format "$table" -o "$out" --quiet "$file"
        row "$extract" "extract --format $table" "$bytes" text "$batch_wall" "<= 1.3 x text"
      done
      # A fresh database each run; the rate is calls a second.
      db=$data/calls.db
      rm -f "$db"*
      measure bash -c 'rm -f "$1"*; exec "$2" extract --format sqlite -o "$1" --quiet "$3"' _ \
        "$db" "$bin/$extract" "$file"
      calls=$(sqlite3 "$db" "SELECT sum(records) FROM files")
      row "$extract" "extract --format sqlite" "$bytes" "" "" ">= 500k calls/s"
      printf '|          | %-24s | %7s |
' "calls a second" \
        "$(awk "BEGIN{printf \"%.0f\", $calls / ($wall < 0.01 ? 0.01 : $wall)}")"
      rm -f "$db"*
    fi
    # The same extraction from the window: the program prints the seconds
    # from the click on Extract to the end of the run.
    if [ -x "$bin/window_run_$extract" ]; then
      window_wall=""
      for ((i = 0; i < repeat; i++)); do
        rm -f "$out"
        sync
        /usr/bin/time -f "%e %U %S %M" -o "$times" "$bin/window_run_$extract" "$file" "$out" \
          >"$data/window.txt" 2>/dev/null
        read -r w u s m <"$times"
        w=$(cat "$data/window.txt")
        if [ -z "$window_wall" ] || awk "BEGIN{exit !($w < $window_wall)}"; then
          window_wall=$w; cpu=$(awk "BEGIN{printf \"%.2f\", $u + $s}"); peak=$m
        fi
      done
      rm -f "$out" "$data/window.txt"
      wall=$window_wall
      row "$extract" "window: Extract" "$bytes" batch "$batch_wall" "<= 1.5 x batch"
    fi
  fi
  # The analyser knows C-DOT files by records at their start: it reads the
  # headerless file, the extractor the one with day sections.
  if [ "$format" = cdot ]; then
    [ "$keep" = 1 ] || rm -f "$file"
    continue
  fi
  measure "$bin/lomtra" analyse --quiet "$file"
  if [ "$format" = ocb ]; then
    row lomtra "analyse FILE" "$bytes" wc "$wc_wall" "< 0.05 s"
  else
    row lomtra "analyse FILE" "$bytes" wc "$wc_wall" "<= 1.0 x wc"
  fi
  [ "$keep" = 1 ] || rm -f "$file"
done
check_run
echo "peak MiB target: <= 64 for every batch command"
list_run
