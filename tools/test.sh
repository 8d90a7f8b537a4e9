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
bash tools/build.sh build-tsan -DZW_TSAN=ON -DZW_WERROR=ON -DZW_BENCH=OFF > build-tsan.log 2>&1 \
  || { tail -80 build-tsan.log; exit 1; }
if ctest --test-dir build-tsan -N -R Threaded | grep -q "Total Tests: [1-9]"; then
  TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -R Threaded -j "$jobs" --output-on-failure --timeout 600
fi

echo "[test] fuzz targets, ${fuzz_seconds} s each"
CC=clang CXX=clang++ bash tools/build.sh build-fuzz -DZW_FUZZ=ON -DZW_BENCH=OFF -DZW_ASSETS=OFF \
  > build-fuzz.log 2>&1 || { tail -80 build-fuzz.log; exit 1; }
for fuzzer in build-fuzz/bin/*_fuzz; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  [ -d "tests/fuzz/corpus/$name" ] && cp -r "tests/fuzz/corpus/$name/." "$corpus/"
  "$fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 "$corpus" > "build-fuzz/$name.log" 2>&1 \
    || { tail -40 "build-fuzz/$name.log"; echo "[test] $name failed"; exit 1; }
  echo "[test] $name: $(grep -c . "$corpus"/* 2>/dev/null | wc -l) corpus entries, no crash"
  rm -rf "$corpus"
done

echo "[test] normal build"
bash tools/build.sh build -DZW_WERROR=ON > build.log 2>&1 || { tail -80 build.log; exit 1; }
ctest --test-dir build -j "$jobs" --output-on-failure --timeout 600
