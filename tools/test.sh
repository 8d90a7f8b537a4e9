#!/usr/bin/env bash
# Sets up, builds and runs every test: the unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer, each fuzz target for a
# bounded time, and finally the whole suite on the normal build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
jobs=$(nproc)
fuzz_seconds=${ZW_FUZZ_SECONDS:-10}

echo "[test] sanitizer build (address, undefined)"
bash tools/build.sh build-asan -DZW_SANITIZE=ON -DZW_WERROR=ON -DZW_BENCH=OFF > build-asan.log 2>&1 \
  || { tail -80 build-asan.log; exit 1; }
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -j "$jobs" --output-on-failure --timeout 600

echo "[test] thread sanitizer build (threaded tests)"
# Only the suites that hold threaded tests are built and run under ThreadSanitizer.
threaded_suites=$(grep -rl "Threaded" tests --include="*_test.cpp" | cut -d/ -f2 | sort -u)
if [ -n "$threaded_suites" ]; then
  targets=()
  for suite in $threaded_suites; do targets+=(--target "zw_${suite}_tests"); done
  cmake -S . -B build-tsan -G Ninja -DZW_TSAN=ON -DZW_WERROR=ON -DZW_BENCH=OFF > build-tsan.log 2>&1 \
    && cmake --build build-tsan -j "$jobs" "${targets[@]}" >> build-tsan.log 2>&1 \
    || { tail -80 build-tsan.log; exit 1; }
  for suite in $threaded_suites; do
    (cd build-tsan/bin && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
      "./zw_${suite}_tests" --gtest_filter='*Threaded*' --gtest_brief=1) \
      || { echo "[test] threaded $suite tests failed under ThreadSanitizer"; exit 1; }
  done
fi

echo "[test] fuzz targets, ${fuzz_seconds} s each"
fuzz_targets=()
for source in tests/fuzz/*_fuzz.cpp; do
  [ -e "$source" ] && fuzz_targets+=(--target "$(basename "$source" .cpp)")
done
if [ ${#fuzz_targets[@]} -gt 0 ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DZW_FUZZ=ON -DZW_BENCH=OFF -DZW_ASSETS=OFF \
    > build-fuzz.log 2>&1 && cmake --build build-fuzz -j "$jobs" "${fuzz_targets[@]}" >> build-fuzz.log 2>&1 \
    || { tail -80 build-fuzz.log; exit 1; }
fi
for fuzzer in build-fuzz/bin/*_fuzz; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  [ -d "tests/fuzz/corpus/$name" ] && cp -r "tests/fuzz/corpus/$name/." "$corpus/"
  "$fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 "$corpus" > "build-fuzz/$name.log" 2>&1 \
    || { tail -40 "build-fuzz/$name.log"; echo "[test] $name failed"; exit 1; }
  echo "[test] $name: $(find "$corpus" -type f | wc -l) corpus entries after ${fuzz_seconds} s, no crash"
  rm -rf "$corpus"
done

echo "[test] normal build"
bash tools/build.sh build -DZW_WERROR=ON > build.log 2>&1 || { tail -80 build.log; exit 1; }
ctest --test-dir build -j "$jobs" --output-on-failure --timeout 600
