"""Builds the package kuv through the project's CMake build.

setuptools makes the wheel; the extension kuv._core, the library it links
(libkuvdocument, inside the package) and kuv/_version.py come from CMake's
install of the component "python", so that the build has one definition.

KUV_CMAKE_BUILD_DIR names a CMake build folder to use (python/run_tests.sh
reuses its own); otherwise setuptools' temporary folder holds a Release
build. KUV_CMAKE_ARGS adds options to its configuration.
"""

import os
import pathlib
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


def project_version():
    """The version of project(kuv VERSION ...) in CMakeLists.txt."""
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    match = re.search(r"project\(kuv\s+VERSION\s+([0-9.]+)", text)
    if match is None:
        raise RuntimeError("CMakeLists.txt declares no project version")
    return match.group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = os.environ.get("KUV_CMAKE_BUILD_DIR")
        build = pathlib.Path(build).resolve() if build else pathlib.Path(self.build_temp) / "cmake"
        configure = ["cmake", "-S", str(ROOT), "-B", str(build)]
        if not (build / "CMakeCache.txt").exists():
            configure += ["-DCMAKE_BUILD_TYPE=Release", "-DKUV_BUILD_TESTS=OFF",
                          "-DKUV_BUILD_TOOLS=OFF", "-DKUV_BUILD_BENCH=OFF",
                          "-DKUV_BROWSER_TEST=OFF"]
        configure += ["-DKUV_BUILD_PYTHON=ON", f"-DKUV_PYTHON_EXECUTABLE={sys.executable}",
                      "-DKUV_PYTHON_INSTALL_DIR=.", "-DKUV_PYTHON_BUNDLE_LIBRARY=ON"]
        configure += shlex.split(os.environ.get("KUV_CMAKE_ARGS", ""))
        subprocess.run(configure, check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(os.cpu_count() or 1)
        subprocess.run(["cmake", "--build", str(build), "--target", "kuv_python",
                        "--parallel", jobs], check=True)
        with tempfile.TemporaryDirectory() as staging:
            subprocess.run(["cmake", "--install", str(build), "--component", "python",
                            "--prefix", staging], check=True)
            package = pathlib.Path(self.get_ext_fullpath(ext.name)).parent
            package.mkdir(parents=True, exist_ok=True)
            for built in (pathlib.Path(staging) / "kuv").iterdir():
                shutil.copy2(built, package / built.name)


setup(
    version=project_version(),
    ext_modules=[Extension("kuv._core", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
