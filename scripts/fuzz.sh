#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every fuzz target, or the ones named,
# for a bounded time each:
#
#   scripts/fuzz.sh [-t SECONDS] [TARGET...]       (default 30 s, all targets)
#
# Each target starts from its seed corpora (build/fuzz/fuzz/seeds/<target>,
# written at build time, and fuzz/corpus/<target> in the tree) and keeps what
# it finds in build/fuzz/corpus/<target>, so a later run goes on from there.
# A crash, a sanitizer report or a failed check ends the target: the script
# prints the reproducer's path and its bytes (base64) and exits 1 after the
# remaining targets ran.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=30
if [ "${1:-}" = "-t" ]; then seconds="$2"; shift 2; fi
targets=("$@")

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

# The targets the build defines (fuzz/CMakeLists.txt writes their names).
mapfile -t all < build/fuzz/fuzz/targets.txt
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")
for t in "${targets[@]}"; do
  if ! printf '%s\n' "${all[@]}" | grep -qx -- "$t"; then
    echo "no fuzz target $t (the targets: ${all[*]})" >&2
    exit 2
  fi
done

bin=build/fuzz/fuzz
failed=()
for t in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$t
  crashes=build/fuzz/crashes/$t
  rm -rf "$crashes"   # only this run's reproducers are reported
  mkdir -p "$corpus" "$crashes"
  seeds=("$bin/seeds/$t")
  [ -d "fuzz/corpus/$t" ] && seeds+=("fuzz/corpus/$t")
  echo "== $t: ${seconds} s"
  log=build/fuzz/$t.log
  set +e
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$bin/$t" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2560 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$corpus" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  set -e
  grep -E 'DONE|stat::(number_of_executed_units|average_exec_per_sec)' "$log" || true
  if [ $rc -ne 0 ]; then
    failed+=("$t")
    echo "!! $t failed (exit $rc):"
    grep -E 'fuzz check failed|ERROR: |SUMMARY: |runtime error' "$log" | head -n 20 || true
    echo "!! the end of its log ($log):"
    tail -n 60 "$log"
    for f in "$crashes"/*; do
      [ -f "$f" ] || continue
      echo "!! reproducer: $f ($(stat -c %s "$f") bytes), base64:"
      base64 -w 76 "$f" | head -n 200
      echo "!! run it again: $bin/$t $f"
    done
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets that failed: ${failed[*]}"
  exit 1
fi
echo "fuzz targets ran clean: ${targets[*]}"
