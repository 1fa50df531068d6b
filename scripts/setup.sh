#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages. Quiet and
# quick when everything is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ make binutils python3 libgtest-dev libgmock-dev libbenchmark-dev)
# The stand-in libraries list their own needs beside their sources.
for list in standin/*/apt-packages.txt; do
  [ -f "$list" ] || continue
  while read -r pkg _; do
    [ -n "$pkg" ] && [ "${pkg#\#}" = "$pkg" ] && packages+=("$pkg")
  done < "$list"
done

missing=()
for pkg in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
