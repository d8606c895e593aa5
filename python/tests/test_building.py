"""Building objects with put and add_frame, and saving them."""

import json
import os
import re
import subprocess
import sys

import pandas as pd
import pytest

import kuv
from conftest import TEMPLATE, c_library_path, nested_object

# Drives the C interface in a child process: the library reads the
# registered template when it is loaded, from $XDG_CONFIG_HOME.
C_HOST = r"""
import ctypes, json, sys
library = ctypes.CDLL(sys.argv[1])
message = ctypes.c_char_p()
assert library.KuvAttach(ctypes.byref(message)) == 1, message.value
for call in json.loads(sys.argv[3]):
    texts = [text.encode("latin-1") for text in call[1:]]
    if call[0] == "object":
        assert library.KuvCreateObject(*texts) == 1
    else:
        library.KuvPutValue(*texts)
assert library.KuvSave(sys.argv[2].encode(), ctypes.byref(message)) == 1, message.value
"""

CALLS = [
    ["object", "CasingStrings", "me", "1", "W-1"],
    ["put", "Casing", "Name", "Surface"],
    ["put", "Casing", "OD", "20.000"],
    ["put", "CementStage", "Stage", "1"],
    ["put", "CementStage", "Slurry", "Lead \x80 caf\xe9\n tail"],
    ["put", "CementStage", "Stage", "2"],
    ["put", "Casing", "Name", "Production"],
    ["put", "Nothing", "Name", "refused"],
    ["put", "CementStage", "Nothing", "refused"],
    ["object", "WellHeader", "me", "2", "W-1"],
    ["put", "Well", "Field", "Kestrel"],
    ["put", "Well", "KellyBushing", "24.5"],
]


def without_dates(data):
    return re.sub(rb"Date='[^']*'", b"Date=''", data)


def test_saved_bytes_equal_what_the_c_interface_saves(tmp_path, template):
    library = c_library_path()
    assert library.exists(), f"{library} is not built"
    config = tmp_path / "config" / "KUV" / "Template"
    config.mkdir(parents=True)
    (config / "FileName").write_bytes(os.fsencode(TEMPLATE) + b"\0")
    c_saved = tmp_path / "c.kuv"
    subprocess.run([sys.executable, "-c", C_HOST, str(library), str(c_saved), json.dumps(CALLS)],
                   check=True, env=dict(os.environ, XDG_CONFIG_HOME=str(tmp_path / "config")))

    doc = kuv.Document(encoding="latin-1")
    for call in CALLS:
        if call[0] == "object":
            obj = doc.add_object(*call[1:], template=template)
        elif "refused" in call:
            with pytest.raises(ValueError, match="not declared"):
                obj.put(*call[1:])
        else:
            obj.put(*call[1:])
    doc.save(tmp_path / "python.kuv")
    assert without_dates((tmp_path / "python.kuv").read_bytes()) == without_dates(
        c_saved.read_bytes())


def test_put_follows_the_placement_rules_and_says_why_it_refuses():
    doc = kuv.Document()
    obj = nested_object(doc)
    with pytest.raises(kuv.Refusal, match="parent table is not open"):
        obj.put("B", "b1", "first")  # a child table needs its parent row
    for table, field, value in [("A", "a1", 1), ("A", "a2", 2.5), ("B", "b1", True),
                                ("B", "b1", "again")]:
        obj.put(table, field, value)
    # C under a new row of A without a value of its own would be saved as
    # part of the row before: the library says so.
    with pytest.raises(kuv.Refusal) as refused:
        obj.put("C", "c1", "c")
    assert refused.value.why.startswith("the table would open under a new row of its parent")
    obj.put("A", "a1", "next")
    a = obj.to_frame("A")
    assert list(a["a1"]) == ["1", "next"] and a.loc[0, "a2"] == "2.5"
    assert list(obj.to_frame("B")["b1"]) == ["true", "again"]
    with pytest.raises(ValueError, match="holds '<'"):
        obj.put("A", "a1", "a<b")
    with pytest.raises(kuv.Refusal, match="the field is not declared for the table"):
        obj.put("A", "b1", "x")
    with pytest.raises(kuv.Refusal, match="another object of the document has its ID"):
        doc.add_object("Nested", "t", "1", "W")


def test_add_object_takes_the_template_definitions(template):
    obj = kuv.Document().add_object("CasingStrings", "me", "1", "W", template=template)
    assert obj.definitions == template.definitions("CasingStrings")
    assert kuv.Document().add_object("Unknown", "me", "1", "W", template=template).definitions \
        == kuv.Definitions((), ())


def test_frames_of_an_object_build_an_equal_object(example):
    for source in kuv.open(example).objects:
        doc = kuv.Document()
        copy = doc.add_object(source.id, source.author, source.version, source.well_id)
        for definition in source.definitions.tables:
            copy.define_table(*definition)  # parents come first in these examples
        for definition in source.definitions.fields:
            copy.define_field(*definition)
        frames = source.frames()
        for name in [d.table for d in source.definitions.tables if d.table in frames]:
            assert copy.add_frame(name, frames[name]) == len(frames[name])
        copy.date = source.date
        read_back = kuv.open(doc.to_bytes()).objects[0]
        for name, frame in frames.items():
            pd.testing.assert_frame_equal(read_back.to_frame(name), frame)


def test_add_frame_appends_to_existing_rows_and_places_children(casing_doc):
    obj = casing_doc.objects["CasingStrings"]
    stages_before = obj.to_frame("CementStage")
    obj.add_frame("Casing", pd.DataFrame({"Name": ["Tieback"], "OD": [7.0],
                                          "Top": [pd.NA]}))
    casing = obj.to_frame("Casing")
    assert casing.loc[5, "Name"] == "Tieback" and casing.loc[5, "OD"] == "7.0"
    assert pd.isna(casing.loc[5, "Top"])
    obj.add_frame("CementStage", pd.DataFrame({"Stage": [1, 2], "Volume": [1.5, None],
                                               "parent_row_id": [5, 0]}))
    stages = kuv.open(casing_doc.to_bytes()).objects[0].to_frame("CementStage")
    assert len(stages) == len(stages_before) + 2
    joined = stages.merge(casing, left_on="parent_row_id", right_on="row_id",
                          suffixes=("", "_casing"))
    assert list(joined["Name"]) == ["Conductor", "Surface", "Intermediate", "Intermediate",
                                    "Production", "Production", "Production", "Liner", "Tieback"]
    assert list(joined["Stage"])[-1] == "1" and list(joined["Stage"])[0] == "2"


@pytest.mark.parametrize(
    "table, frame, reason",
    [
        ("Casing", pd.DataFrame({"OD": [1.0]}), "begin with field 'Name'"),
        ("Casing", pd.DataFrame({"Name": ["x", None]}), "row 1 has no value for 'Name'"),
        ("Casing", pd.DataFrame({"Name": ["x"], "Nothing": [1]}), "'Nothing': the field is not"),
        ("Casing", pd.DataFrame({"Name": ["a<b"]}), "row 0, column 'Name': it holds '<'"),
        ("Casing", pd.DataFrame({"Name": ["x"], "parent_row_id": [0]}), "top-level table"),
        ("Nothing", pd.DataFrame({"Name": ["x"]}), "not declared in object"),
        ("CementStage", pd.DataFrame({"Stage": [1]}), "needs a column parent_row_id"),
        ("CementStage", pd.DataFrame({"Stage": [1], "parent_row_id": [9]}), "which has 5 rows"),
        ("CementStage", pd.DataFrame({"Stage": [1], "parent_row_id": [0.5]}), "whole numbers"),
        ("CementStage", pd.DataFrame({"Stage": [1], "parent_row_id": [0],
                                      "parent_table": ["Other"]}), "another table"),
        ("Casing", pd.DataFrame({"Name": ["x"], "Top": [pd.Timestamp("2024-01-01 10:00:30")]}),
         "field 'Top' is declared 'float', which takes numbers, not a date"),
        ("Casing", pd.DataFrame({"Name": ["x", "y"], "Top": [1.5, True]}),
         "row 1, column 'Top': field 'Top' is declared 'float', which takes numbers, not a boolean"),
        ("Casing", pd.DataFrame({"Name": ["Ω"]}), "has no byte in cp1252"),
        ("Casing", pd.DataFrame({"Name": [object()]}), "has no text"),
    ],
)
def test_add_frame_refuses_what_it_cannot_place_and_writes_nothing(casing_doc, table, frame,
                                                                   reason):
    before = casing_doc.to_bytes()
    with pytest.raises(ValueError, match=re.escape(reason)):
        casing_doc.objects["CasingStrings"].add_frame(table, frame)
    assert casing_doc.to_bytes() == before


def test_save_replaces_the_file_and_keeps_its_permissions(tmp_path, casing_doc):
    target = tmp_path / "out.kuv"
    target.write_bytes(b"old")
    target.chmod(0o640)
    casing_doc.save(target)
    assert target.read_bytes() == casing_doc.to_bytes()
    assert target.stat().st_mode & 0o777 == 0o640
    assert sorted(p.name for p in tmp_path.iterdir()) == ["out.kuv"]


def test_definitions_refuse_what_the_library_refuses_and_objects_go_by_id(tmp_path,
                                                                          monkeypatch):
    doc = kuv.Document()
    obj = nested_object(doc)
    with pytest.raises(kuv.Refusal, match="cannot declare the table 'Orphan'"):
        obj.define_table("Orphan", "Nowhere")
    with pytest.raises(kuv.Refusal, match="the field is declared already"):
        obj.define_field("A", "a1", "ft")  # the first declaration stays
    with pytest.raises(kuv.Refusal, match="holds a tab"):
        obj.define_field("A", "depth", "m\tMD")
    assert obj.field_definition("A", "a1").unit == "m"
    doc.remove("Nested")
    assert len(doc) == 0
    with pytest.raises(KeyError):
        doc.remove("Nested")
    config = tmp_path / "KUV" / "Template"
    config.mkdir(parents=True)
    (config / "FileName").write_bytes(os.fsencode(TEMPLATE) + b"\0")
    monkeypatch.setenv("XDG_CONFIG_HOME", str(tmp_path))
    assert kuv.Template.registered().path == str(TEMPLATE)
