#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, checks that every tracked C++ source is
# formatted as .clang-format says, builds, and runs the whole test suite on
# a private D-Bus session bus with Qt's offscreen platform, and builds and
# checks the Debian packages (tests/packaging/debian-package.sh). Then, for
# reliability:
#   - clang-tidy (.clang-tidy) on the program's, the stand-in's and the tools'
#     sources, on one core while the fuzzers use the other; a warning fails;
#   - the whole suite again, built with AddressSanitizer and
#     UndefinedBehaviorSanitizer in build/asan: a memory error, undefined
#     behaviour or leak fails the test that met it;
#   - each fuzz target (libFuzzer, clang, same sanitizers) in build/fuzz for
#     QVZ_FUZZ_SECONDS seconds (default 60), from its seed corpus in
#     tests/fuzz/corpus/<target>; a crash, hang or broken rule fails the run and
#     leaves the input in build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh

echo "== Formatting (.clang-format)"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

scripts/build.sh
export QT_QPA_PLATFORM=offscreen
dbus-run-session -- ctest --test-dir build --output-on-failure --timeout 300

echo "== The Debian packages (build/package)"
tests/packaging/debian-package.sh build

echo "== The test suite with AddressSanitizer and UndefinedBehaviorSanitizer (build/asan)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVZ_WERROR=ON -DQVZ_SANITIZE=ON \
    -DQVZ_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/asan
ASAN_OPTIONS=detect_leaks=1 \
    LSAN_OPTIONS="suppressions=$PWD/tests/reliability/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    dbus-run-session -- ctest --test-dir build/asan --output-on-failure --timeout 600

echo "== Fuzzing, ${QVZ_FUZZ_SECONDS:=60} s per target (build/fuzz)"
cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQVZ_WERROR=ON -DQVZ_FUZZ=ON -DQVZ_BUILD_TESTS=OFF -DQVZ_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/fuzz --target fuzzers
mkdir -p build/fuzz/artifacts build/fuzz/logs

# Each fuzzer runs on one core, so the static checks take the other.
tidy_log=build/clang-tidy.log
run-clang-tidy -p build -j 1 -quiet "^$PWD/(src|standin|tools)/.*\.cpp\$" >"$tidy_log" 2>&1 &
tidy_pid=$!
trap 'kill "$tidy_pid" 2>/dev/null || true' EXIT

for seeds in tests/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    log=build/fuzz/logs/$target.log
    mkdir -p "build/fuzz/corpus/$target"
    # New inputs go to build/fuzz/corpus; the seeds in tests/ are only read.
    # The outer time-out bounds the run even if the fuzzer itself hangs.
    if ! UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        timeout --kill-after=10 $((QVZ_FUZZ_SECONDS + 180)) \
        "build/fuzz/fuzz/$target" -max_total_time="$QVZ_FUZZ_SECONDS" -timeout=25 -rss_limit_mb=2560 \
        -malloc_limit_mb=2048 -print_final_stats=1 -artifact_prefix="build/fuzz/artifacts/$target-" \
        "build/fuzz/corpus/$target" "$seeds" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "$target failed; its log is $log" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    corpus=$(find "build/fuzz/corpus/$target" -type f | wc -l)
    echo "$target: $runs inputs in $QVZ_FUZZ_SECONDS s, no failure ($corpus inputs in its corpus)"
done

echo "== clang-tidy (.clang-tidy)"
if ! wait "$tidy_pid"; then
    grep -E '(warning|error): ' "$tidy_log" | sort -u
    echo "clang-tidy found the faults above; its log is $tidy_log" >&2
    exit 1
fi
echo "clang-tidy: no warning"
