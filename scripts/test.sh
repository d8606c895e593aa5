#!/usr/bin/env bash
# Builds kuv with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test, then the thread tests of the document API under
# ThreadSanitizer, then a short run of each fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --workflow --preset dev
cmake --workflow --preset tsan
if [[ -x scripts/fuzz_smoke.sh ]]; then
  bash scripts/fuzz_smoke.sh
fi

# The Windows build (kuv.dll, MinGW-w64) and its tests under Wine.
bash scripts/test_windows.sh
