#!/usr/bin/env bash
# Builds the .deb from the build folder and checks that it carries the programs, the udev rule and
# the desktop entry in their places.
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >/dev/null
deb=$(ls "$out"/*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
status=0
for want in ./usr/bin/quilbsl ./usr/bin/quilbsl-cli ./usr/bin/quilbsl-sim \
            ./usr/lib/udev/rules.d/60-quilbsl.rules \
            ./usr/share/applications/quilbsl.desktop \
            ./usr/share/icons/hicolor/scalable/apps/quilbsl.svg; do
  if ! grep -qx -- "$want" <<<"$contents"; then
    echo "missing from $(basename "$deb"): $want"
    status=1
  fi
done
[ $status -eq 0 ] && echo "$(basename "$deb") carries the programs, the udev rule and the desktop entry"
exit $status
