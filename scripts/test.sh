#!/usr/bin/env bash
# Builds kuv with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test, then the thread tests of the document API under
# ThreadSanitizer, then the Python package's tests, then a short run of each
# fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --workflow --preset dev
cmake --workflow --preset tsan
# The Python package and its pytest tests, in a build without sanitizers,
# beside the kuv tool the dev build made.
KUV_TOOL="$PWD/build/dev/tools/kuv" bash python/run_tests.sh
if [[ -x scripts/fuzz_smoke.sh ]]; then
  bash scripts/fuzz_smoke.sh
fi

# The Windows build (kuv.dll, MinGW-w64) and its tests under Wine.
bash scripts/test_windows.sh
