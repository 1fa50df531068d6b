#!/usr/bin/env bash
# Installs what the builds and the tests need, from Debian's packages: for the
# native builds, with "aarch64" also the cross toolchain, qemu-user and the
# arm64 libraries, and with "fuzz" clang and its sanitizer runtimes. Quiet and quick when everything is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

native=(cmake g++ make binutils file git python3 libedit2 libgtest-dev libgmock-dev libbenchmark-dev clang-format clang-tidy valgrind)
# The stand-in libraries list their own needs beside their sources.
standin=()
for list in standin/*/apt-packages.txt; do
  [ -f "$list" ] || continue
  while read -r pkg _; do
    [ -n "$pkg" ] && [ "${pkg#\#}" = "$pkg" ] && standin+=("$pkg")
  done < "$list"
done
packages=("${native[@]}" "${standin[@]}")

cross=0
for arg in "$@"; do
  case "$arg" in
    aarch64) cross=1 ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
  esac
done
if [ $cross -eq 1 ]; then
  packages+=(g++-aarch64-linux-gnu qemu-user dpkg-dev libgtest-dev:arm64)
  for pkg in "${standin[@]}"; do packages+=("$pkg:arm64"); done
fi

missing=()
for pkg in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ $cross -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
  $sudo dpkg --add-architecture arm64
fi
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
