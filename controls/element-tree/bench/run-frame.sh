#!/bin/bash
# Builds the frame selection's benchmark (x86_64) and runs it under Wine.
# Usage: controls/element-tree/bench/run-frame.sh [build-dir] [rounds]   (default build/x64, 3)
# Prints, for 10,000 and 100,000 items and a frame over a fifth of them, the
# time of a mouse move that adds 100 rows at full span, of one that changes
# nothing, and of one that shrinks the frame to one row, each also per row.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
exec "$ROOT/scripts/bench-run.sh" "${1:-$ROOT/build/x64}" eltree_frame_bench controls/element-tree/eltree_frame_bench.exe "${2:-3}"
