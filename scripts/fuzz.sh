#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with Clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each of them for SECONDS seconds:
#
#   bash scripts/fuzz.sh SECONDS
#
# One line per target: runs, runs per second, coverage (edges and
# features), findings, and for the hostile-chip target the number of chip
# responses. Exits with 1 when any target found something; the input that
# led there is kept in build-fuzz/findings/ (reproduce it with
# build-fuzz/fuzz/fuzz_<target> <file>, with KELVANE_FUZZ_TRACE=1 for the
# hostile-chip target to see each call).
#
# Each target starts from its committed seeds (fuzz/corpus/<target>) and the
# corpus that earlier runs grew in build-fuzz/corpus/<target>.
# FUZZ_TARGETS picks targets (default: all), FUZZ_ARGS adds libFuzzer
# options (for example -max_len=8192 for long runs).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${1:?usage: bash scripts/fuzz.sh SECONDS}
targets=${FUZZ_TARGETS:-hostile_chip command_line data_files bench_file state_file tool_input serve_request}
build=$root/build-fuzz

bash scripts/setup.sh

cc=clang-14 cxx=clang++-14
command -v "$cxx" >/dev/null || { cc=clang; cxx=clang++; }
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=$root
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=$cc CXX=$cxx cmake -S . -B "$build" -DKELVANE_FUZZ=ON -DKELVANE_BUILD_TESTS=OFF -DKELVANE_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
names=()
for t in $targets; do names+=("fuzz_$t"); done
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target "${names[@]}" >/dev/null

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/findings" "$build/logs"
failed=0
for t in $targets; do
  corpus=$build/corpus/$t
  mkdir -p "$corpus"
  log=$build/logs/$t.log
  dict=()
  [ -f "fuzz/dict/$t.dict" ] && dict=(-dict="$root/fuzz/dict/$t.dict")
  # The targets that work with files change into a scratch folder of their
  # own: every path given to libFuzzer is absolute.
  before=$(ls "$build/findings" | grep -c "^$t-" || true)
  status=0
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$t-" "${dict[@]}" ${FUZZ_ARGS:-} "$corpus" "$root/fuzz/corpus/$t" \
    >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 | awk '{print $2 " edges, " $4 " features"}')
  # libFuzzer stops at the first finding and keeps its input there.
  findings=$(( $(ls "$build/findings" | grep -c "^$t-" || true) - before ))
  if [ "$status" -ne 0 ] && [ "$findings" -eq 0 ]; then
    findings=1
  fi
  line=$(printf '%-13s runs %9s   runs/s %6s   coverage %s   findings %s' \
    "$t" "${runs:-?}" "${rate:-?}" "${cov:-?}" "$findings")
  responses=$(sed -n 's/^hostile chip: \([0-9]*\) chip responses.*/\1/p' "$log" | tail -1)
  [ -n "$responses" ] && line="$line   chip responses $responses"
  echo "$line"
  if [ "$findings" -ne 0 ]; then
    failed=1
    grep -E 'FINDING:|SUMMARY|ERROR|Test unit written' "$log" | head -6 | sed 's/^/    /'
    echo "    log: $log"
  fi
done
exit $failed
