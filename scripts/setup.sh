#!/usr/bin/env bash
# Installs what building and testing kuv needs on a fresh Debian machine.
# Packages already present are left alone. The optional Windows cross
# build (MinGW-w64, Wine) has its own: scripts/setup_windows.sh.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  googletest libgtest-dev libgmock-dev
  clang libclang-rt-14-dev            # libFuzzer and sanitizer runtimes
  libpugixml-dev                      # the benchmark's comparison parser
  time                                # the benches: peak memory of each command alone
  libcli11-dev nlohmann-json3-dev     # the command-line tool
  libsqlite3-dev                      # kuv::sqlite: export --format sqlite, kuv.to_sqlite
  python3-dev pybind11-dev            # the Python package, for /usr/bin/python3
  python3-numpy python3-pandas python3-pytest
  python3-setuptools python3-wheel    # its build backend (pip install --no-build-isolation)
  python3-pip python3-venv python3-build
  python3-mypy                        # its annotations, checked with mypy --strict
  python3-dask python3-distributed    # kuv.dask
  python3-matplotlib                  # kuv.plot
  chromium                            # the browser test of kuv view's pages
  dpkg-dev file                       # the Debian package (cpack -G DEB)
)

missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
# Node.js and npm drive the browser test; a machine that has them from
# elsewhere (npm comes with some Node.js builds) keeps its own.
command -v node >/dev/null 2>&1 || command -v nodejs >/dev/null 2>&1 || missing+=(nodejs)
command -v npm >/dev/null 2>&1 || missing+=(npm)

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  if [[ $(id -u) -eq 0 ]]; then sudo=""; else sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
