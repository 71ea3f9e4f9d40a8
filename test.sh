#!/usr/bin/env bash
# Builds Orvane and runs every test headless: the normal build, the whole
# suite again under AddressSanitizer and UndefinedBehaviorSanitizer, and a
# bounded fuzzing run; and compiles the optimised (Release) build a packager
# makes. Warnings are errors in every build here. Ends with CTest's summary
# of the normal build.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
orvane_install_deps
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== Sanitizer build (ASan + UBSan)"
orvane_build build-asan -DORVANE_SANITIZE=ON -DORVANE_WERROR=ON
(
  # Leak checking stays off here: at exit it races Qt's worker threads and
  # crashes itself. The fuzzers of the pure parts do check for leaks.
  export ASAN_OPTIONS=detect_leaks=0:halt_on_error=1:detect_stack_use_after_return=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  cd build-asan && ctest --output-on-failure --timeout 600 -j "$jobs" >ctest.log 2>&1 ||
    { cat ctest.log; echo "The sanitizer build failed its tests."; exit 1; }
  tail -3 ctest.log
)

echo "== Fuzzing"
scripts/fuzz.sh

echo "== Release build (compiled only: the optimiser warns where the others do not)"
mkdir -p build-release
orvane_build build-release -DCMAKE_BUILD_TYPE=Release -DORVANE_WERROR=ON >build-release/build.log 2>&1 ||
  { tail -60 build-release/build.log; echo "The Release build failed."; exit 1; }

echo "== Build and tests"
orvane_build build -DORVANE_WERROR=ON
cd build && ctest --output-on-failure --timeout 300 -j "$jobs"
