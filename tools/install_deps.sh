#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are
# missing: the compiler and CMake, GoogleTest with GoogleMock, CLI11 and
# nlohmann-json for scenario_tool, and any further packages named as
# arguments.
# Does nothing when all of them are there. Exits non-zero when an install
# fails.
set -euo pipefail

packages=(cmake g++ libgtest-dev libgmock-dev libcli11-dev nlohmann-json3-dev
  "$@")

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if ! command -v apt-get >/dev/null; then
  echo "install_deps.sh: apt-get not found; install these by hand: ${missing[*]}" >&2
  exit 1
fi
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi

echo "install_deps.sh: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y "${missing[@]}"
