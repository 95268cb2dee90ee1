#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program with the simulated instrument on COM1.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-deps.sh
scripts/build.sh

folder="$PWD/build"   # the program folder: the executable's own folder
build/tools/tc4-sim --folder "$folder" --port 1 --rate 10 &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -L "$folder/ports/COM1" ] && break; sleep 0.1; done

build/thermocouple-recorder
