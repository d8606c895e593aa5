"""Typed frames and the kuv tool's check --strict read value texts by one
grammar, the library's: both are held to the shared table of cases that
the library's own test reads (tests/data/value_cases.tsv)."""

import json
import math
import os
import shutil
import subprocess

import pandas as pd
import pytest

import kuv
from conftest import ROOT

CASES = ROOT / "tests" / "data" / "value_cases.tsv"
TYPES = {"float": "float", "integer": "integer", "boolean": "boolean", "date": "date",
         "text": "string"}
ESCAPES = {"t": "\t", "n": "\n", "r": "\r", "s": " ", "\\": "\\"}


def unescape(text):
    out, chars = [], iter(text)
    for char in chars:
        out.append(ESCAPES.get(next(chars, ""), "") if char == "\\" else char)
    return "".join(out)


def load_cases():
    cases = []
    for number, line in enumerate(CASES.read_text(encoding="utf-8").splitlines(), 1):
        if not line or line.startswith("#"):
            continue
        kind, text, reading, *value = line.split("\t") + [""]
        cases.append({"line": number, "kind": kind, "text": unescape(text), "reading": reading,
                      "value": value[0]})
    return cases


def cases_document(path):
    """One table per kind (its name the kind's), one row per case in the
    table's order: the case's line, then its text under a field of the
    kind's declared type."""
    cases = load_cases()
    doc = kuv.Document()
    obj = doc.add_object("Cases", "tests", "1", "W")
    for kind, type_ in TYPES.items():
        obj.define_table(kind)
        obj.define_field(kind, "line", "", "string")
        obj.define_field(kind, "v", "", type_)
    for case in sorted(cases, key=lambda case: list(TYPES).index(case["kind"])):
        obj.put(case["kind"], "line", str(case["line"]))
        obj.put(case["kind"], "v", case["text"])
    doc.save(path)
    return cases


def timestamp(value):
    """The moment as datetime64[ns] holds it; None beyond its years."""
    try:
        return pd.Timestamp(value)
    except pd.errors.OutOfBoundsDatetime:
        return None


def expected_value(case):
    kind, value = case["kind"], case["value"]
    if kind == "float":
        return float(value)
    if kind == "integer":
        return int(value)
    if kind == "boolean":
        return value == "true"
    if kind == "date":
        return timestamp(value)
    return case["text"]


def test_typed_frames_give_exactly_the_values_of_the_table(tmp_path):
    cases = cases_document(tmp_path / "cases.kuv")
    obj = kuv.open(tmp_path / "cases.kuv").objects[0]
    assert {case["kind"] for case in cases} == set(TYPES)
    for kind in TYPES:
        frame = obj.to_frame(kind, typed=True)
        mine = [case for case in cases if case["kind"] == kind]
        assert frame["line"].tolist() == [str(case["line"]) for case in mine]
        invalid = 0
        for row, case in enumerate(mine):
            got, where = frame["v"][row], f"line {case['line']}: {case['text']!r}"
            expected = expected_value(case) if case["reading"] == "value" else None
            if case["reading"] in ("out-of-range", "not-of-kind") or (
                    kind == "date" and case["reading"] == "value" and expected is None):
                invalid += 1  # a date before 1677 has no datetime64[ns]: missing, counted
            if expected is None:
                assert pd.isna(got), where
            elif kind == "float" and math.isnan(expected):
                assert math.isnan(got), where
            else:
                assert got == expected, where
        if kind != "text":
            assert frame.attrs["invalid"] == {"v": invalid}, kind


def kuv_tool():
    tool = os.environ.get("KUV_TOOL") or shutil.which("kuv")
    if not tool:
        pytest.skip("the kuv tool is not built (python/run_tests.sh builds it)")
    return tool


def test_check_strict_reports_exactly_the_texts_that_are_no_values(tmp_path):
    tool = kuv_tool()
    cases = cases_document(tmp_path / "cases.kuv")
    config = tmp_path / "config"  # no template registered: the document's own definitions
    config.mkdir()
    run = subprocess.run([tool, "check", "--strict", "--format", "json", str(tmp_path / "cases.kuv")],
                         capture_output=True, text=True,
                         env=dict(os.environ, XDG_CONFIG_HOME=str(config)), timeout=120)
    report = json.loads(run.stdout)
    problems = report["files"][0]["problems"]
    found = {(p["table"], p["row"]): p["problem"] for p in problems}
    assert all(p["field"] == "v" and p["object"] == "Cases" for p in problems), problems
    expected = {}
    for kind in TYPES:
        for row, case in enumerate([c for c in cases if c["kind"] == kind], 1):
            if case["reading"] in ("out-of-range", "not-of-kind"):
                expected[(kind, row)] = case["reading"]
    assert set(found) == set(expected)
    for place, reading in expected.items():
        words = "is out of range for type" if reading == "out-of-range" else "is not of type"
        assert words in found[place], (place, found[place])
    assert run.returncode == 1
