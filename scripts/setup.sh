#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
#   bash scripts/setup.sh              the native build of the tool
#   bash scripts/setup.sh --tests      and what the tests, the fuzzing and the benchmark use
#   bash scripts/setup.sh --windows    and the Windows half: mingw-w64, Wine, a virtual X server
#   bash scripts/setup.sh --all        everything (what scripts/test.sh and CI run)
set -euo pipefail
cd "$(dirname "$0")/.."
tests=0 windows=0
for arg in "$@"; do
  case $arg in
    --tests) tests=1 ;;
    --windows) windows=1 ;;
    --all) tests=1 windows=1 ;;
    *) echo "usage: bash scripts/setup.sh [--tests] [--windows] [--all]" >&2; exit 2 ;;
  esac
done

packages=(build-essential cmake g++ libstb-dev)
# tinygltf reads the exported files back in the tests.
((tests)) && packages+=(libgtest-dev googletest clang libclang-rt-14-dev libtinyobjloader-dev libtinygltf-dev)
# The glTF tests run the Khronos validator under Node.js; a machine that has node already keeps it.
((tests)) && ! command -v node >/dev/null && packages+=(nodejs npm)
((windows)) && packages+=(g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth imagemagick)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [[ $(id -u) -ne 0 ]] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi

# The glTF validator for the tests, from the npm registry into the project's own folder, at the
# version package-lock.json records.
if ((tests)) && [[ ! -f tests/gltf/node_modules/gltf-validator/package.json ]]; then
  echo "installing the glTF validator into tests/gltf/node_modules"
  npm ci --prefix tests/gltf --no-audit --no-fund --loglevel=error
fi
