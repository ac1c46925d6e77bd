#!/usr/bin/env bash
# Builds and runs the whole test suite twice: a normal build, and a build
# with AddressSanitizer and UndefinedBehaviorSanitizer that fails on any
# report.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
for preset in default sanitize; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
