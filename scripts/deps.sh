#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tool need, when
# any of them is missing. Safe to run again.
set -euo pipefail
pkgs=(build-essential cmake ninja-build googletest libgtest-dev libbenchmark-dev libboost-graph-dev
      libncurses-dev libcairo2-dev libfontconfig1-dev libfreetype-dev libcups2-dev
      fonts-liberation2 poppler-utils tmux python3
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

# The CUPS printing tests start a print server of their own (tests/print/
# cupsprivat.h): Debian's cupsd, its client programs, ipptool and the PDF
# queue's backend, without recommended extras. Installing them must not
# start the system's print server, so service starts are refused for the
# time of the install where nothing refuses them yet. Where they cannot be
# installed, the CUPS tests are skipped, not failed.
cups_pkgs=(cups-daemon cups-client cups-ipp-utils printer-driver-cups-pdf)
cups_missing=()
for p in "${cups_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || cups_missing+=("$p")
done
if [ ${#cups_missing[@]} -gt 0 ]; then
  echo "installing: ${cups_missing[*]}"
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  policy=/usr/sbin/policy-rc.d
  made_policy=""
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null && $sudo chmod 755 "$policy" && made_policy=1
  fi
  if ! { $sudo apt-get update -qq &&
         DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${cups_missing[@]}"; }; then
    echo "the CUPS packages could not be installed: the CUPS printing tests will be skipped"
  fi
  if [ -n "$made_policy" ]; then $sudo rm -f "$policy"; fi
fi
