#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every fuzz target, or the ones named,
# in one of two modes:
#
#   scripts/fuzz.sh -r [TARGET...]             reproducible (CI): a fixed seed
#                                               and a fixed number of runs each
#   scripts/fuzz.sh [-t SECONDS] [TARGET...]   exploratory: a time limit each
#                                               (default 30 s)
#
# The reproducible mode starts every target from its seed corpora only
# (build/fuzz/fuzz/seeds/<target>, written at build time, and
# fuzz/corpus/<target> in the tree) with -seed=1 and the number of runs that
# fuzz/CMakeLists.txt gives the target (RUNS), without the mutations that
# follow comparison operands; what it finds goes into build/fuzz/ci/<target>,
# emptied first. The same tree on the same day runs the same inputs, so a
# failure repeats with the same command.
#
# The exploratory mode looks for new inputs: it starts from the seed
# corpora and what earlier exploratory runs kept in build/fuzz/corpus/<target>,
# and keeps what it finds there, so a later run goes on from there.
#
# A crash, a sanitizer report or a failed check ends the target: the script
# prints the reproducer's path and its bytes (base64) and exits 1 after the
# remaining targets ran.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=time
seconds=30
if [ "${1:-}" = "-r" ]; then
  mode=runs
  shift
elif [ "${1:-}" = "-t" ]; then
  seconds="$2"
  shift 2
fi
targets=("$@")
seed=1

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

# The targets the build defines, with their runs (fuzz/CMakeLists.txt
# writes them, "name runs" a line).
declare -A runs_of=()
all=()
while read -r name runs; do
  [ -n "$name" ] || continue
  all+=("$name")
  runs_of[$name]=$runs
done < build/fuzz/fuzz/targets.txt
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")
for t in "${targets[@]}"; do
  if [ -z "${runs_of[$t]:-}" ]; then
    echo "no fuzz target $t (the targets: ${all[*]})" >&2
    exit 2
  fi
done

bin=build/fuzz/fuzz
failed=()
for t in "${targets[@]}"; do
  crashes=build/fuzz/crashes/$t
  rm -rf "$crashes"   # only this run's reproducers are reported
  seeds=("$bin/seeds/$t")
  [ -d "fuzz/corpus/$t" ] && seeds+=("fuzz/corpus/$t")
  if [ "$mode" = runs ]; then
    corpus=build/fuzz/ci/$t
    rm -rf "$corpus"
    # Comparison operands (addresses, the scratch folder's random name) and
    # the timed re-reading of the corpus folder would steer the mutations
    # differently from run to run: neither is used here.
    limit=(-seed="$seed" -runs="${runs_of[$t]}" -use_cmp=0 -use_memmem=0 -reload=0)
    again="bash scripts/fuzz.sh -r $t"
    echo "== $t: ${runs_of[$t]} runs, seed $seed"
  else
    corpus=build/fuzz/corpus/$t
    limit=(-max_total_time="$seconds")
    again=""
    echo "== $t: ${seconds} s"
  fi
  mkdir -p "$corpus" "$crashes"
  log=build/fuzz/$t.log
  set +e
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$bin/$t" "${limit[@]}" -timeout=25 -rss_limit_mb=2560 -print_final_stats=1 \
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
      echo "!! run it alone: $bin/$t $f"
    done
    [ -n "$again" ] && echo "!! run it again: $again"
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets that failed: ${failed[*]}"
  exit 1
fi
echo "fuzz targets ran clean: ${targets[*]}"
