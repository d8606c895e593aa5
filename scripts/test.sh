#!/usr/bin/env bash
# Builds kuv with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test, then the thread tests of the document API under
# ThreadSanitizer, then the optimised build's Debian package installed and
# removed again, then the Python package's tests, then a short run of each
# fuzzer, then the Windows builds (x86 and x64) under Wine with their zip.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --workflow --preset dev
cmake --workflow --preset tsan
# The release build as packaged: its .deb installed, used and removed.
cmake --workflow --preset packages
# The Python package and its pytest tests, in a build without sanitizers,
# beside the kuv tool the dev build made.
KUV_TOOL="$PWD/build/dev/tools/kuv" bash python/run_tests.sh
if [[ -x scripts/fuzz_smoke.sh ]]; then
  bash scripts/fuzz_smoke.sh
fi

# The Windows builds (kuv.dll, MinGW-w64, x86 and x64) and their tests
# under Wine.
bash scripts/test_windows.sh
