#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the benchmarks
# need, skipping those already installed.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
  # product
  zlib1g-dev libfreetype-dev libfontconfig-dev qt6-base-dev
  fonts-dejavu-core fonts-liberation2
  # tests and benchmarks (references only; the product never links them)
  libgtest-dev libgmock-dev libbenchmark-dev python3
  libzbar-dev libjpeg62-turbo-dev libpugixml-dev libcairo2-dev libpixman-1-dev libstb-dev
  libxml2-dev libxml2-utils imagemagick libvips-dev libswscale-dev
  fonts-cantarell  # a CFF (cubic) face for the glyph outline tests
  poppler-utils cups cups-client printer-driver-cups-pdf
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
