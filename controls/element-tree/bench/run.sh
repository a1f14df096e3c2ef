#!/bin/bash
# Builds the tree items' benchmark (x86_64) and runs it under Wine.
# Usage: controls/element-tree/bench/run.sh [build-dir]   (default build/x64)
# Prints, for flat trees and trees ten levels deep of 10,000, 30,000 and
# 100,000 items, the whole-tree times, the per-call times and their growth.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
exec "$ROOT/scripts/bench-run.sh" "${1:-$ROOT/build/x64}" eltree_items_bench controls/element-tree/eltree_items_bench.exe
