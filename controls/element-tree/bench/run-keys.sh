#!/bin/bash
# Builds the keys' benchmark (x86_64) and runs it under Wine.
# Usage: controls/element-tree/bench/run-keys.sh [build-dir] [rounds]   (default build/x64, 3)
# Prints, for 10,000 and 100,000 expanded items in a view of 25 rows, the
# time of Page Down pressed from the first row until the focus rests on the
# last one (whole, per press and per row), and of one End and one Home, in
# single and in multiple selection, and one search keystroke that finds the
# last item.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
exec "$ROOT/scripts/bench-run.sh" "${1:-$ROOT/build/x64}" eltree_keys_bench controls/element-tree/eltree_keys_bench.exe "${2:-3}"
