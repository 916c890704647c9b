#!/usr/bin/env bash
# Installs what is missing, builds the optimised program and starts it.
# Arguments are handed to the program.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh

cmake -G Ninja -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)" --target labeldesigner
exec build/release/app/labeldesigner "$@"
