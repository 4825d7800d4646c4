#!/usr/bin/env bash
# Installs what is needed from Debian's packages, in two sets:
#   bash scripts/deps.sh build   what building the tools and running the cycle needs (demo.sh)
#   bash scripts/deps.sh         everything: the build set plus what the tests, the sanitizer
#                                build, the benchmarks and the package stage use (test.sh)
# Idempotent: when everything is present it changes nothing and asks no registry.
set -euo pipefail
build=(cmake ninja-build ccache g++ qt6-base-dev libcli11-dev)
tests=(clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev gzip lz4 xvfb xauth
       # the package stage: building, checking and installing the Debian packages
       dpkg-dev fakeroot file lintian help2man man-db desktop-file-utils pkgconf binutils)
case "${1:-all}" in
  build) packages=("${build[@]}") ;;
  all) packages=("${build[@]}" "${tests[@]}") ;;
  *) echo "usage: $0 [build|all]" >&2; exit 2 ;;
esac
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if ((${#missing[@]} > 0)); then
  echo "installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
