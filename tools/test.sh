#!/usr/bin/env bash
# Sets up, builds and runs every test: the unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer, each fuzz target for a
# bounded time (one target per core at a time), and finally the whole suite on the normal build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
jobs=$(nproc)
# The render suite and the render check draw with Mesa's software rasteriser in a hidden window on
# a virtual X display; Mesa offers 4.6 core only when told to. The display must not reset when its
# last window closes: a test starting during the reset finds no display.
export MESA_GL_VERSION_OVERRIDE=4.6 MESA_GLSL_VERSION_OVERRIDE=460
display=(xvfb-run -a -s "-screen 0 1920x1080x24 -noreset")
# The program suite starts the game itself in windows, with servers on the game port.
program_tests=(-L program -j "$jobs" --output-on-failure --timeout 300)
# The fuzz targets run side by side, one per core. By default each gets its share of the wall time
# that running them one after another for 10 s each would take, so more cores mean more runs for
# every target at the same cost; ZW_FUZZ_SECONDS sets the seconds of each target instead.
fuzz_count=$(find tests/fuzz -maxdepth 1 -name '*_fuzz.cpp' | wc -l)
fuzz_rounds=$(( (fuzz_count + jobs - 1) / jobs ))
fuzz_seconds=${ZW_FUZZ_SECONDS:-$(( fuzz_rounds > 0 ? 10 * fuzz_count / fuzz_rounds : 10 ))}

echo "[test] sanitizer build (address, undefined)"
bash tools/build.sh build-asan -DZW_SANITIZE=ON -DZW_WERROR=ON -DZW_BENCH=OFF > build-asan.log 2>&1 \
  || { tail -80 build-asan.log; exit 1; }
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$PWD/tools/lsan_gl_driver.supp":print_suppressions=0 \
  "${display[@]}" ctest --test-dir build-asan -j "$jobs" --output-on-failure --timeout 600 -LE program
# The three longest program tests play whole matches or click through many screens; they run once,
# on the normal build, so that the whole run stays well inside CI's time on a small machine.
long_program_tests='ARoomOfOneLife|AMatchShowsNameTags|SignedInTheLoadoutShows'
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$PWD/tools/lsan_gl_driver.supp":print_suppressions=0 \
  "${display[@]}" ctest --test-dir build-asan "${program_tests[@]}" -E "$long_program_tests"

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

echo "[test] fuzz targets, ${fuzz_seconds} s each, ${jobs} at a time"
fuzz_targets=()
for source in tests/fuzz/*_fuzz.cpp; do
  [ -e "$source" ] && fuzz_targets+=(--target "$(basename "$source" .cpp)")
done
if [ ${#fuzz_targets[@]} -gt 0 ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DZW_FUZZ=ON -DZW_BENCH=OFF -DZW_ASSETS=OFF \
    > build-fuzz.log 2>&1 && cmake --build build-fuzz -j "$jobs" "${fuzz_targets[@]}" >> build-fuzz.log 2>&1 \
    || { tail -80 build-fuzz.log; exit 1; }
fi
# One fuzz target on a copy of its seeds: its log, its exit status and the size of the corpus it
# grew go into build-fuzz, and so does any crash file (never the source tree).
run_fuzzer() {
  local fuzzer=$1 name corpus status=0
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  [ -d "tests/fuzz/corpus/$name" ] && cp -r "tests/fuzz/corpus/$name/." "$corpus/"
  "$fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -artifact_prefix="build-fuzz/$name-" \
    "$corpus" > "build-fuzz/$name.log" 2>&1 || status=$?
  find "$corpus" -type f | wc -l > "build-fuzz/$name.entries"
  echo "$status" > "build-fuzz/$name.status"
  rm -rf "$corpus"
}
fuzz_names=()
for fuzzer in build-fuzz/bin/*_fuzz; do
  [ -x "$fuzzer" ] || continue
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  name=$(basename "$fuzzer")
  rm -f "build-fuzz/$name.status"
  fuzz_names+=("$name")
  run_fuzzer "$fuzzer" &
done
wait
fuzz_failed=0
for name in "${fuzz_names[@]}"; do
  if [ "$(cat "build-fuzz/$name.status" 2>/dev/null)" = 0 ]; then
    echo "[test] $name: $(cat "build-fuzz/$name.entries") corpus entries after ${fuzz_seconds} s, no crash"
  else
    tail -40 "build-fuzz/$name.log" || true; echo "[test] $name failed"; fuzz_failed=1
  fi
done
[ "$fuzz_failed" -eq 0 ] || exit 1

echo "[test] normal build"
bash tools/build.sh build -DZW_WERROR=ON > build.log 2>&1 || { tail -80 build.log; exit 1; }
"${display[@]}" ctest --test-dir build -j "$jobs" --output-on-failure --timeout 600 -LE program
"${display[@]}" ctest --test-dir build "${program_tests[@]}"
