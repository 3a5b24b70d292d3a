#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, fuzz and benchmark.
# Idempotent: packages already installed are skipped, and the package lists are refreshed
# once, only when something has to be installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6serialport6
  libqt6sql6-sqlite libqt6sql6-psql qt6-qpa-plugins
  libqcustomplot-dev libxlsxwriter-dev libmodbus-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  python3 xxd xvfb xauth redis-server
  qt6-svg-dev libqt6svg6
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=()
if ((EUID != 0)); then sudo=(sudo); fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
