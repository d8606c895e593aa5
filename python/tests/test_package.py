"""The package as pip installs it: its metadata and version, the files a
typed package needs, and a library of its own inside it, nothing from a
build tree or the sources. python/run_tests.sh installs the wheel into a
fresh environment and sets KUV_INSTALLED_WHEEL."""

import importlib.metadata
import os
import pathlib

import pytest

import kuv
from conftest import ROOT

PACKAGE = pathlib.Path(kuv.__file__).resolve().parent
INSTALLED = os.environ.get("KUV_INSTALLED_WHEEL") == "1"
installed_only = pytest.mark.skipif(not INSTALLED, reason="the package is not installed from "
                                    "its wheel (python/run_tests.sh does that)")


def test_the_package_holds_its_stub_and_typed_mark():
    for name in ["py.typed", "_core.pyi", "_version.py", "dask.py", "plot.py"]:
        assert (PACKAGE / name).is_file(), name


@installed_only
def test_the_installed_package_is_the_wheels_with_its_metadata():
    assert importlib.metadata.version("kuv") == kuv.__version__
    files = {str(path) for path in importlib.metadata.files("kuv")}
    assert {"kuv/py.typed", "kuv/_core.pyi", "kuv/__init__.py"} <= files
    assert PACKAGE.parent.name in ("site-packages", "dist-packages"), PACKAGE
    assert not PACKAGE.is_relative_to(ROOT / "python"), f"kuv is imported from {PACKAGE}"
    requires = importlib.metadata.requires("kuv")
    assert any(line.startswith("pandas") for line in requires)


@installed_only
def test_the_extension_loads_the_libraries_from_inside_the_package():
    libraries = {line.split()[-1] for line in pathlib.Path("/proc/self/maps").read_text().splitlines()
                 if "/libkuv" in line}
    names = {pathlib.Path(path).name for path in libraries}
    assert {"libkuvdocument.so.1", "libkuvsqlite.so.1"} <= names, names
    assert all(pathlib.Path(path).parent == PACKAGE for path in libraries), libraries
