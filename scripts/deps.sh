#!/usr/bin/env bash
# Installs the Debian 12 packages QuilBSL needs to build, test and run.
# As root it installs what is missing with apt-get; otherwise it prints the apt-get line and stops.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config   # compiler and build
  qt6-base-dev qt6-base-dev-tools libgl-dev      # the window, network and settings (Qt 6)
  libcli11-dev                                   # command lines of quilbsl-cli and quilbsl-sim
  nlohmann-json3-dev                             # quilbsl-cli --json
  libgtest-dev libgmock-dev                      # tests
  libbenchmark-dev                               # benchmarks in bench/
  python3                                        # the stand-in firmware generator
  xvfb xauth                                     # the window under a virtual display (screenshot)
  locales-all                                    # the comma-decimal locale test (de_DE.UTF-8)
  dpkg-dev file                                  # CPack's .deb
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "QuilBSL needs these Debian packages. Run as root:" >&2
  echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
