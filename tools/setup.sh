#!/usr/bin/env bash
# Installs every Debian package the build, the game and the tests need. Safe to run twice.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libglm-dev libglfw3-dev python3-glad libtinygltf-dev nlohmann-json3-dev libstb-dev
  libopenal-dev libsndfile1-dev
  libcurl4-openssl-dev libssl-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth libgl1-mesa-dri xdotool
  locales
  unzip zip
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

if [ ${#missing[@]} -eq 0 ]; then
  echo "[setup] all packages present"
else
  echo "[setup] installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The glTF validator that checks the generated models runs on Node.js; Debian's nodejs and npm
# bring it unless some Node.js with npm is already installed.
if ! command -v npm > /dev/null 2>&1 || ! command -v node > /dev/null 2>&1; then
  echo "[setup] installing: nodejs npm"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends nodejs npm
fi
# The validator itself, at the version the committed lock file pins.
validator_dir="$(dirname "$0")/gltf_validator"
if ! (cd "$validator_dir" && node -e "
    const lock = require('./package-lock.json').packages['node_modules/gltf-validator'].version;
    process.exit(require('./node_modules/gltf-validator/package.json').version === lock ? 0 : 1);" 2> /dev/null); then
  echo "[setup] installing the glTF validator"
  (cd "$validator_dir" && npm ci --no-audit --no-fund --loglevel=error)
fi

# The number parsers are tested under a locale whose decimal mark is a comma.
if ! locale -a 2>/dev/null | grep -qx "de_DE.utf8"; then
  "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
