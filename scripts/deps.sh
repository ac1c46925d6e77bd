#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tool need, when
# any of them is missing. Safe to run again.
set -euo pipefail
pkgs=(build-essential cmake googletest libgtest-dev libbenchmark-dev
      libncurses-dev libcairo2-dev libfontconfig1-dev libfreetype-dev libcups2-dev
      fonts-liberation2 poppler-utils tmux
      clang libclang-rt-14-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
