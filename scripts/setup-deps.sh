#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgl-dev fonts-dejavu-core
          # the tests: PDF pages read back, the Debian package built and its files validated,
          # its manual pages rendered
          poppler-utils dpkg-dev desktop-file-utils appstream man-db
          # the simulator test writes its frames under a German locale
          locales
          # publishing: the MQTT client library, and a broker and its clients for the tests
          libmosquitto-dev mosquitto mosquitto-clients)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  # Another apt or dpkg (an unattended upgrade, a second build) may hold the lock: wait for it
  # instead of failing at once.
  wait_lock=(-o DPkg::Lock::Timeout=600)
  "${sudo_cmd[@]}" apt-get "${wait_lock[@]}" update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get "${wait_lock[@]}" install -y -q \
    "${missing[@]}"
fi
