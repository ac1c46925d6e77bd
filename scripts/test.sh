#!/usr/bin/env bash
# Builds and runs the whole test suite twice: a normal build, and a build
# with AddressSanitizer and UndefinedBehaviorSanitizer that fails on any
# report. Then runs every fuzz target in the reproducible mode of
# scripts/fuzz.sh (a fixed seed and number of runs from the seed corpora,
# so a failure repeats); a crash there fails the run too, with its
# reproducer in the log.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
for preset in default sanitize; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  ctest --preset "$preset" -j "$(nproc)"
done
echo "== fuzz targets"
bash scripts/fuzz.sh -r
