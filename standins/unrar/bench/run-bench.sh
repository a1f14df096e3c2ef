#!/bin/bash
# Builds the unrar.dll variants with different UCM_PROCESSDATA block sizes
# and the benchmark in an x86_64 build folder, then runs it under Wine.
# Usage: standins/unrar/bench/run-bench.sh <x86_64 build folder>
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
BUILD="$1"
cmake --build "$BUILD" --target unrar_bench
DIR="$BUILD/standins/unrar"
cd "$DIR"
"$ROOT/scripts/wine-run.sh" ./unrar_bench.exe unrar_b16k.dll unrar_b64k.dll unrar_b256k.dll unrar_b1m.dll
