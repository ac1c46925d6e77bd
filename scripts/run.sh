#!/usr/bin/env bash
# Sets everything up and runs the tool on the sample data set.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
for need in build/default/app/zolma build/default/data/DMEBHF; do
  if [ ! -e "$need" ]; then
    echo "the build did not make $need" >&2
    exit 1
  fi
done
cd build/default/data && exec ../app/zolma "$@"
