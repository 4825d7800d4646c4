#!/usr/bin/env bash
# Installs what the build, the tests and the demo need, from Debian's packages.
# Idempotent: when everything is present it changes nothing and asks no registry.
set -euo pipefail
packages=(cmake ninja-build ccache g++ clang libclang-rt-14-dev qt6-base-dev libcli11-dev libgtest-dev libgmock-dev
          libbenchmark-dev gzip lz4 xvfb xauth
          # the package stage: building, checking and installing the Debian packages
          dpkg-dev fakeroot file lintian help2man man-db desktop-file-utils pkgconf binutils)
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
