#!/usr/bin/env bash
# Installs what building Quillscope needs, when it is missing (Debian packages through apt-get).
# Packages named as arguments are installed too (tools/build-windows.sh, tools/test-windows.sh).
set -euo pipefail
packages=(cmake ninja-build g++ make libgtest-dev libgmock-dev googletest libbenchmark-dev
          qt6-base-dev qt6-base-dev-tools libgl-dev rapidjson-dev python3-jsonschema
          graphviz chromium chromium-driver python3-selenium "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
