#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and ASan/UBSan, replays the kept
# crash inputs, then fuzzes each target for a bounded time. A crash fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${ORVANE_FUZZ_SECONDS:-20}
dir=build-fuzz
targets=(fuzz_connection_string fuzz_sql_dialect fuzz_text_lines fuzz_database_file fuzz_vcard fuzz_csv fuzz_rtf fuzz_multistatus fuzz_card_patch fuzz_card_writer fuzz_card_model)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
if [[ ! -f $dir/CMakeCache.txt ]]; then
  CC=clang CXX=clang++ cmake -S . -B $dir -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
    -DORVANE_FUZZ=ON -DORVANE_WERROR=OFF >/dev/null
fi
cmake --build $dir --parallel "$(nproc)" --target "${targets[@]}" >$dir/build.log 2>&1 || { tail -40 $dir/build.log; exit 1; }

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
mkdir -p $dir/artifacts
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  # Qt keeps some allocations for the life of the process; leaks there are
  # not ours, so only the pure targets check for leaks.
  leaks=1
  [[ $name == rtf ]] && leaks=0
  regressions=(tests/fuzz/regressions/$name/*)
  if [[ -e ${regressions[0]} ]]; then
    echo "== $target: replaying ${#regressions[@]} kept inputs"
    ASAN_OPTIONS=detect_leaks=$leaks $dir/tests/fuzz/$target -runs=1 "${regressions[@]}" >/dev/null 2>$dir/$target.replay.log ||
      { cat $dir/$target.replay.log; exit 1; }
  fi
  work=$(mktemp -d)
  cp tests/fuzz/corpus/$name/* "$work"/
  echo "== $target: fuzzing for ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=$leaks $dir/tests/fuzz/$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=65536 -artifact_prefix=$dir/artifacts/$name- -print_final_stats=0 "$work" >$dir/$target.log 2>&1; then
    tail -60 $dir/$target.log
    echo "$target found a crash; the input is in $dir/artifacts/ (keep it under tests/fuzz/regressions/$name/)"
    rm -rf "$work"
    exit 1
  fi
  grep -E "^Done [0-9]+ runs" $dir/$target.log | tail -1 || true
  rm -rf "$work"
done
echo "Fuzzing found no crash."
