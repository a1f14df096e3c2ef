#!/bin/bash
# Builds the sort's benchmark (x86_64) and runs it under Wine.
# Usage: controls/element-tree/bench/run-sort.sh [build-dir] [rounds]   (default build/x64, 3)
# Prints, for 12,500 to 100,000 top-level items sorted by text, number and
# date from shuffled, sorted and reversed orders, the tree's time and the
# system tree view's (TVM_SORTCHILDRENCB on the same keys), each also as
# time / (n log2 n).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
exec "$ROOT/scripts/bench-run.sh" "${1:-$ROOT/build/x64}" eltree_sort_bench controls/element-tree/eltree_sort_bench.exe "${2:-3}"
