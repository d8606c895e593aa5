#!/usr/bin/env bash
# Builds the Python package without sanitizers (the system Python could not
# load a sanitized module) and runs its tests with pytest. pytest's status
# is the script's: "no tests ran" (5) fails like any other.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${KUV_PYTHON_BUILD_DIR:-build/python}
python=${KUV_PYTHON:-/usr/bin/python3}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DKUV_WERROR=ON -DKUV_BUILD_TESTS=OFF \
  -DKUV_BUILD_TOOLS=OFF -DKUV_BUILD_BENCH=OFF -DKUV_BUILD_PYTHON=ON \
  -DKUV_PYTHON_EXECUTABLE="$python" >/dev/null
cmake --build "$build" -j2 --target kuv_python kuv
if ! compgen -G "$build/python/kuv/_core*.so" >/dev/null; then
  echo "run_tests: the Python package was not built (see the cmake output)" >&2
  exit 1
fi

PYTHONPATH=$PWD/$build/python KUV_C_LIBRARY=$PWD/$build/src/libkuv.so PYTHONDONTWRITEBYTECODE=1 \
  "$python" -m pytest -p no:cacheprovider -q python/tests
