#!/usr/bin/env bash
# Sets everything up and runs the tool on the sample data set.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
if [ -x build/default/app/zolma ] && [ -d build/default/data ]; then
  cd build/default/data && exec ../app/zolma "$@"
fi
echo "built; the application is not part of this build yet"
