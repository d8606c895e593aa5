#!/usr/bin/env bash
# Tests the Python package as a user installs it: pip builds a wheel
# through the project's CMake build (setup.py), the wheel goes into a fresh
# virtual environment (with the system's site packages, for numpy, pandas,
# dask and mypy), and pytest runs from outside the source tree, so that a
# file missing from the wheel fails the tests.
#
# One CMake build folder serves everything (without sanitizers: the system
# Python could not load a sanitized module): the wheel's extension and the C
# interface's libkuv.so, which tests compare with, and the kuv tool unless
# KUV_TOOL names one (the test command passes its dev build's). pytest's
# status is the script's: "no tests ran" (5) fails like any other.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

build=${KUV_PYTHON_BUILD_DIR:-build/python}
python=${KUV_PYTHON:-/usr/bin/python3}
mkdir -p "$build"
build=$(cd "$build" && pwd)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DKUV_WERROR=ON -DKUV_BUILD_TESTS=OFF \
  -DKUV_BUILD_TOOLS=ON -DKUV_BUILD_BENCH=OFF -DKUV_BROWSER_TEST=OFF -DKUV_BUILD_PYTHON=ON \
  -DKUV_PYTHON_EXECUTABLE="$python" -DKUV_PYTHON_INSTALL_DIR=. \
  -DKUV_PYTHON_BUNDLE_LIBRARY=ON >/dev/null
targets=(kuv_python kuv)
tool=${KUV_TOOL:-}
if [[ -z $tool ]]; then
  targets+=(kuv_tool)
  tool="$build/tools/kuv"
fi
cmake --build "$build" -j2 --target "${targets[@]}"

# The wheel, as pip builds it; setuptools' own staging folders are emptied
# first, so that nothing left from an earlier build slips into it.
rm -rf "$build/wheel" build/lib.* build/bdist.* python/kuv.egg-info
KUV_CMAKE_BUILD_DIR="$build" CMAKE_BUILD_PARALLEL_LEVEL=2 \
  "$python" -m pip wheel --quiet --no-build-isolation --no-deps --no-cache-dir \
  --wheel-dir "$build/wheel" . >"$build/wheel.log" 2>&1 || {
  cat "$build/wheel.log" >&2
  exit 1
}
wheels=("$build"/wheel/kuv-*.whl)

venv="$build/venv"
rm -rf "$venv"
"$python" -m venv --system-site-packages --without-pip "$venv"
"$venv/bin/python" -m pip install --quiet --no-deps --no-index --no-cache-dir "${wheels[0]}"

# From a folder of its own: neither the sources nor the build tree can be
# imported by accident.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
KUV_INSTALLED_WHEEL=1 KUV_C_LIBRARY="$build/src/libkuv.so" \
  KUV_TOOL="$tool" MYPY_CACHE_DIR="$build/mypy_cache" PYTHONDONTWRITEBYTECODE=1 \
  "$venv/bin/python" -m pytest -p no:cacheprovider -q --rootdir "$root/python/tests" \
  "$root/python/tests"
