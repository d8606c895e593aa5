"""The package's version is the project's, as CMakeLists.txt sets it."""

import pathlib
import re

import kuv


def test_version_is_the_projects():
    cmake = (pathlib.Path(__file__).parents[2] / "CMakeLists.txt").read_text()
    declared = re.search(r"project\(kuv VERSION ([0-9.]+)", cmake)
    assert declared, "CMakeLists.txt declares no project version"
    assert kuv.__version__ == declared.group(1)
