#!/bin/bash
# Builds the edit model's benchmark (x86_64) and runs it under Wine.
# Usage: controls/element/bench/run-edit-bench.sh [build-dir]
#   build-dir defaults to build/x64.
# Prints load, re-wrap, scroll, typing and undo times for 0.5 to 2 MiB of
# Russian text and how load and re-wrap grow.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
exec "$ROOT/scripts/bench-run.sh" "${1:-$ROOT/build/x64}" eledit_bench controls/element/eledit_bench.exe
