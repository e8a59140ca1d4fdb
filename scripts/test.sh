#!/usr/bin/env bash
# Installs what is missing, builds the whole suite and runs every test; then,
# when clang is there, runs each fuzz target for a short while; then builds
# and runs the whole suite once more with AddressSanitizer and
# UndefinedBehaviorSanitizer. The sanitizer run's ctest summary comes last and
# includes a test that fails when the fuzz run found anything.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
build_fuzz="${BUILD_FUZZ_DIR:-$root/build-fuzz}"
build_asan="${BUILD_ASAN_DIR:-$root/build-asan}"
jobs="${JOBS:-2}"
fuzz_seconds="${FUZZ_SECONDS:-30}"

bash "$root/scripts/deps.sh"

# The tree is kept in the repository's clang-format style; a file that is not
# fails the run before anything is built.
(cd "$root" && find . \( -path ./build -o -path './build-*' -o -path ./.git \) -prune -o \
  \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUITE_WERROR=ON
cmake --build "$build" -j "$jobs"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

fuzz_results=""
if command -v clang++ >/dev/null 2>&1 &&
   ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  cmake -S "$root" -B "$build_fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DSUITE_FUZZ=ON -DSUITE_BUILD_UI=OFF -DSUITE_BUILD_TESTS=OFF
  cmake --build "$build_fuzz" -j "$jobs"
  fuzz_results="$build_fuzz/fuzz-results.txt"
  targets=($(cd "$root/fuzz/corpus" && ls -d */ | tr -d /))
  half=$(( (${#targets[@]} + 1) / 2 ))
  # Two at a time: one per core.
  "$root/fuzz/run_fuzz.sh" "$build_fuzz" "$fuzz_seconds" "${targets[@]:0:$half}" >"$fuzz_results.1" &
  first=$!
  "$root/fuzz/run_fuzz.sh" "$build_fuzz" "$fuzz_seconds" "${targets[@]:$half}" >"$fuzz_results.2" || true
  wait "$first" || true
  cat "$fuzz_results.1" "$fuzz_results.2" >"$fuzz_results"
  rm -f "$fuzz_results.1" "$fuzz_results.2"
  cat "$fuzz_results"
else
  echo "clang++ with libFuzzer not found: fuzz targets not run"
fi

# The runs that use several workers, once more under ThreadSanitizer: the
# test programs that hold them, and of those the tests named for it.
build_tsan="${BUILD_TSAN_DIR:-$root/build-tsan}"
tsan_targets=(platform_io_tests lomtra_engine_tests vantor_core_tests ostrel_core_tests kelvan_core_tests
  pardel_core_tests)
tsan_tests='RunInOrder|Parallel'
cmake -S "$root" -B "$build_tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUITE_SANITIZE=thread \
  -DSUITE_BUILD_UI=OFF
cmake --build "$build_tsan" -j "$jobs" --target "${tsan_targets[@]}"
(cd "$build_tsan" && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --output-on-failure -j "$jobs" -R "$tsan_tests" --no-tests=error)

# The Windows command lines and every core's tests, cross-built with
# MinGW-w64 and run under Wine; their outputs are compared with the Linux
# build's (tools/testing/windows_outputs_test.sh). Then the zip of them.
build_win="${BUILD_WIN_DIR:-$root/build-win}"
wine=$(command -v wine64 || command -v wine || ls /usr/lib/wine/wine64 2>/dev/null || true)
if command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 && [ -n "$wine" ]; then
  windows_start=$(date +%s)
  cmake -S "$root" -B "$build_win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSUITE_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DSUITE_LINUX_BIN="$build/bin" \
    -DSUITE_MANUAL_PDF_FILE="$build/bin/lomtra.pdf"
  cmake --build "$build_win" -j "$jobs"
  # The split fuzz targets' replays of the damaged corpora compare whole and
  # split runs of the same code: the Linux build runs them; under Wine they
  # take minutes and check nothing of Windows.
  (cd "$build_win" && ctest --output-on-failure -j "$jobs" -E 'fuzz_damaged_.*_split' &&
    cpack -G ZIP >/dev/null)
  echo "Windows build, tests and zip: $(( $(date +%s) - windows_start )) s"
else
  echo "x86_64-w64-mingw32-g++-posix or wine64 not found: the Windows build was not tested"
fi

cmake -S "$root" -B "$build_asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUITE_SANITIZE=ON \
  -DSUITE_FUZZ_RESULTS="$fuzz_results"
cmake --build "$build_asan" -j "$jobs"
cd "$build_asan"
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp" \
  UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
  ctest --output-on-failure -j "$jobs"
