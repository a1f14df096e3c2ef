#!/bin/bash
# Builds the tree's paint benchmark (x86_64) and runs it under Wine on Xvfb.
# Usage: controls/element-tree/bench/run-paint.sh [build-dir]   (default build/x64)
# Prints, for 100,000 items in the tree and in the system's tree view, the
# median times of the fill, expanding all, paging to the end with each page
# painted and one screen painted, with their ratios.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
exec "$ROOT/scripts/bench-run.sh" "${1:-$ROOT/build/x64}" eltree_paint_bench controls/element-tree/eltree_paint_bench.exe
