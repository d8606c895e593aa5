"""The build backend of the package kuv: setuptools' own, asking for CMake
and pybind11 from the package index only where the machine lacks them.

Both are tools of the C++ build rather than Python packages, and a machine
that builds C++ usually has them (Debian's cmake and pybind11-dev); pip
with an index then installs neither, and a build without isolation
(pip --no-build-isolation, python -m build --no-isolation) finds nothing
missing.
"""

import glob
import os
import re
import shutil
import subprocess
import sys

from setuptools import build_meta as _setuptools
from setuptools.build_meta import *  # noqa: F401,F403 - the other hooks as setuptools has them

CMAKE = (3, 25)
PYBIND11 = "pybind11>=2.6"


def _cmake_found():
    cmake = shutil.which("cmake")
    if cmake is None:
        return False
    try:
        output = subprocess.run([cmake, "--version"], capture_output=True, text=True,
                                timeout=60).stdout
    except (OSError, subprocess.SubprocessError):
        return False
    match = re.search(r"version (\d+)\.(\d+)", output)
    return match is not None and (int(match.group(1)), int(match.group(2))) >= CMAKE


def _pybind11_found():
    try:
        import pybind11  # noqa: F401
        return True
    except ImportError:
        pass
    prefixes = {sys.prefix, sys.base_prefix, "/usr", "/usr/local"}
    patterns = ["share/cmake/pybind11", "lib/cmake/pybind11", "lib/*/cmake/pybind11"]
    return any(glob.glob(os.path.join(prefix, pattern, "pybind11Config.cmake"))
               for prefix in prefixes for pattern in patterns)


def _tools_wanted():
    wanted = []
    if not _cmake_found():
        wanted.append(f"cmake>={CMAKE[0]}.{CMAKE[1]}")
    if not _pybind11_found():
        wanted.append(PYBIND11)
    return wanted


def get_requires_for_build_wheel(config_settings=None):
    return _setuptools.get_requires_for_build_wheel(config_settings) + _tools_wanted()


def get_requires_for_build_editable(config_settings=None):
    return _setuptools.get_requires_for_build_editable(config_settings) + _tools_wanted()
