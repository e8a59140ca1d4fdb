#!/usr/bin/env bash
# Runs libFuzzer targets for a while each, starting from the stored seeds.
# New inputs go to a working corpus in the build folder, findings to
# BUILD/fuzz-findings/TARGET/. Prints one line per target with its
# executions; exit status 1 when any target found something.
#   fuzz/run_fuzz.sh BUILD_DIR SECONDS [TARGET...]
set -uo pipefail
build="$1"
seconds="$2"
shift 2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(cd "$here/corpus" && ls -d */ | tr -d /))
fi
status=0
for target in "${targets[@]}"; do
  program="$build/bin/fuzz_$target"
  work="$build/fuzz-work/$target"
  findings="$build/fuzz-findings/$target"
  log="$build/fuzz-logs/$target.log"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  if "$program" -max_total_time="$seconds" -rss_limit_mb=512 -timeout=5 -print_final_stats=1 \
       -artifact_prefix="$findings/" "$work" "$here/corpus/$target" >"$log" 2>&1; then
    result="ok"
  else
    result="FINDING (see $log)"
    status=1
  fi
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)"
  printf 'fuzz %-16s %6ss %12s executions  %s\n' "$target" "$seconds" "${runs:-?}" "$result"
done
exit $status
