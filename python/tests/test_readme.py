"""The README's Python lines run as they stand."""

import os
import re

import kuv
from conftest import ROOT


def test_the_readme_example_runs(tmp_path, monkeypatch):
    readme = (ROOT / "README.md").read_text(encoding="utf-8")
    section = readme[readme.index("## From Python"):]
    code = re.search(r"```python\n(.*?)```", section, re.DOTALL).group(1)
    (tmp_path / "examples").symlink_to(ROOT / "examples")
    monkeypatch.chdir(tmp_path)
    namespace = {}
    exec(compile(code, "README.md", "exec"), namespace)  # noqa: S102 - our own README
    assert len(namespace["joined"]) == 7
    assert "Casing" in namespace["frames"] and "source" in namespace["frames"]["Casing"]
    rhob = namespace["log"]["RHOB"]
    assert rhob.isna().any() and not (rhob == -999.25).any()
    saved = kuv.open("out.kuv").objects[0].to_frame("Casing")
    assert list(saved["Name"]) == ["Surface", "Conductor", "Surface", "Intermediate",
                                   "Production", "Liner"]
    assert os.path.getsize("out.kuv") > 0
