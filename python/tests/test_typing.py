"""The package's annotations hold: mypy --strict passes on the package
itself, on the README's Python example and on a program that uses every
public name (which runs too)."""

import os
import re
import subprocess
import sys

import pytest

import kuv
from conftest import EXAMPLES, ROOT

pytest.importorskip("mypy")
TYPING = ROOT / "python" / "tests" / "typing"
PACKAGE = ROOT / "python" / "kuv"


@pytest.fixture(scope="module")
def mypy_errors(tmp_path_factory):
    """mypy --strict, once, with the project's settings, on the package's
    sources, the README's example and uses_every_name.py, against the kuv
    that Python imports (the installed one, from python/run_tests.sh): its
    error lines by file."""
    readme = (ROOT / "README.md").read_text(encoding="utf-8")
    section = readme[readme.index("## From Python"):]
    example = tmp_path_factory.mktemp("readme") / "readme_example.py"
    example.write_text(re.search(r"```python\n(.*?)```", section, re.DOTALL).group(1))
    targets = {"package": PACKAGE, "readme": example, "program": TYPING / "uses_every_name.py"}
    command = [sys.executable, "-m", "mypy", "--config-file", str(ROOT / "pyproject.toml"),
               "--strict", "--no-error-summary", *map(str, targets.values())]
    run = subprocess.run(command, capture_output=True, text=True, timeout=900,
                         env=dict(os.environ, MYPYPATH=""))
    errors = {name: [line for line in run.stdout.splitlines() if line.startswith(str(target))]
              for name, target in targets.items()}
    assert run.returncode == (1 if any(errors.values()) else 0), run.stdout + run.stderr
    return errors


def test_a_program_using_every_public_name_checks_and_runs(mypy_errors, monkeypatch):
    assert mypy_errors["program"] == []
    source = (TYPING / "uses_every_name.py").read_text(encoding="utf-8")
    unused = {name for name in set(kuv.__all__) - {"__version__"} if f"kuv.{name}" not in source}
    assert not unused, f"uses_every_name.py does not use {sorted(unused)}"
    monkeypatch.syspath_prepend(str(TYPING))
    import uses_every_name

    uses_every_name.main(EXAMPLES)


def test_the_readme_example_checks(mypy_errors):
    assert mypy_errors["readme"] == []


def test_the_package_checks_strictly(mypy_errors):
    assert mypy_errors["package"] == []
