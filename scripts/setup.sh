#!/usr/bin/env bash
# Installs what is missing (Debian packages), configures and builds Zorvan into build/.
# ZORVAN_BUILD_DIR, ZORVAN_CMAKE_ARGS and ZORVAN_BUILD_TARGETS choose another tree, options and
# targets; ZORVAN_FUZZ=1 installs clang and builds the fuzz targets with it (the normal build
# stays on g++).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libqscintilla2-qt6-dev libgl-dev libxkbcommon-dev
          qt6-serialport-dev socat
          libgtest-dev libbenchmark-dev libdtl-dev fonts-noto-cjk qt6-translations-l10n xvfb xauth xdotool x11-utils
          imagemagick desktop-file-utils appstream libxml2-utils shared-mime-info dpkg-dev file)
if [ "${ZORVAN_FUZZ:-0}" = 1 ]; then
  packages+=(clang libclang-rt-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

build_dir=${ZORVAN_BUILD_DIR:-build}
fuzz_args=()
if [ "${ZORVAN_FUZZ:-0}" = 1 ]; then
  fuzz_args=(-DCMAKE_CXX_COMPILER=clang++ -DZORVAN_FUZZ=ON -DZORVAN_BENCH=OFF)
fi
cmake -S . -B "$build_dir" -G Ninja "${fuzz_args[@]}" ${ZORVAN_CMAKE_ARGS:-} >/dev/null
targets=()
for t in ${ZORVAN_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$build_dir" -j "$(nproc)" "${targets[@]}"
