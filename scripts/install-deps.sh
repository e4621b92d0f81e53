#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and benchmark.
# Qt 6 Widgets (its package brings the GL and Vulkan headers its CMake configuration needs),
# Xvfb for the screenshots on a real X server, and DejaVu fonts for offscreen text.
# Idempotent: packages already present are left alone. Also generates the locales
# the tests run under (C.UTF-8 is built in; tr_TR.UTF-8 is needed for the dotless-i case).
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libboost-regex-dev libsqlite3-dev libssl-dev libicu-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  locales
  clang libclang-rt-14-dev
  qt6-base-dev qt6-qpa-plugins
  xvfb xauth fonts-dejavu-core
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^tr_TR\.utf8$'; then
  if ! grep -q '^tr_TR.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'tr_TR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
