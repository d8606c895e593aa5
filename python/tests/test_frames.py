"""Tables as DataFrames: every row wherever it nests, typed conversion,
parent-row joins, and many documents at once."""

import numpy as np
import pandas as pd
import pytest

import kuv
from conftest import EXAMPLES, nested_object


def rows_by_walking(obj, table):
    """Each row of the table, in document order, as (values, parent table),
    found through the tree handles rather than the frame code."""
    found, stack = [], [(t, None) for t in reversed(obj.tables)]
    while stack:
        node, parent = stack.pop()
        for row in reversed(node.rows):  # reversed: the stack gives them in order
            stack.append((None, (node, row, parent)))
        while stack and stack[-1][0] is None:
            _, (node_, row_, parent_) = stack.pop()
            if node_.name == table:
                found.append((row_.values, parent_))
            stack.extend((child, node_.name) for child in reversed(row_.tables))
    return found


def test_frames_hold_every_value_of_every_table(example):
    for obj in kuv.open(example).objects:
        for name, frame in obj.frames().items():
            walked = rows_by_walking(obj, name)
            assert len(frame) == len(walked)
            assert list(frame.index) == list(range(len(walked)))
            assert frame.index.name == "row_id"
            for (values, parent), (_, row) in zip(walked, frame.iterrows()):
                named = row.get("parent_table")
                assert (None if pd.isna(named) else named) == parent
                seen = {}
                for field, text in values:
                    occurrence = seen.get(field, 0)
                    seen[field] = occurrence + 1
                    assert row[field if occurrence == 0 else f"{field}.{occurrence}"] == text


def test_child_frames_join_their_parents_with_merge(casing_doc):
    obj = casing_doc.objects["CasingStrings"]
    casing, stages = obj.to_frame("Casing"), obj.to_frame("CementStage")
    joined = stages.merge(casing, left_on="parent_row_id", right_on="row_id",
                          suffixes=("", "_casing"))
    assert len(joined) == len(stages)
    assert list(joined["Name"]) == ["Surface", "Intermediate", "Intermediate", "Production",
                                    "Production", "Production", "Liner"]
    assert "parent_row_id" not in casing and "parent_table" not in casing  # the top level
    assert (stages["parent_table"] == "Casing").all() and stages["parent_row_id"].dtype == "int64"
    assert casing.attrs["units"]["OD"] == "in" and casing.attrs["types"]["OD"] == "float"


def test_row_ids_count_rows_of_one_table_wherever_they_nest():
    doc = kuv.Document()
    obj = nested_object(doc)
    # A-0 holds B-0 (holding D-0, D-1) and B-1; A-1 holds y and C-0.
    for table, field, value in [("A", "a1", "x"), ("B", "b1", "p"), ("D", "d1", "1"),
                                ("D", "d1", "2"), ("B", "b1", "q"), ("A", "a1", "y"),
                                ("C", "c1", "c")]:
        obj.put(table, field, value)
    d, b, a = obj.to_frame("D"), obj.to_frame("B"), obj.to_frame("A")
    assert list(d["parent_row_id"]) == [0, 0] and list(b["parent_row_id"]) == [0, 0]
    assert list(a["a1"]) == ["x", "y"]
    assert list(obj.to_frame("C")["parent_row_id"]) == [1]
    chain = d.merge(b, left_on="parent_row_id", right_on="row_id", suffixes=("", "_b"))
    assert list(chain["b1"]) == ["p", "p"]


def test_a_field_twice_in_a_row_gets_a_second_column_and_names_stay_unique():
    doc = kuv.Document()
    obj = nested_object(doc)
    obj.define_field("A", "row_id")
    for field, value in [("a1", "1"), ("a2", "first"), ("a2", "second"), ("row_id", "mine")]:
        obj.put("A", field, value)
    frame = obj.to_frame("A")
    assert list(frame.columns) == ["a1", "a2", "a2.1", "row_id.1"]
    assert frame.loc[0, "a2.1"] == "second" and frame.loc[0, "row_id.1"] == "mine"
    assert frame.attrs["fields"]["row_id.1"] == ("row_id", 0)


def test_declared_tables_without_rows_come_empty_and_unknown_ones_raise():
    doc = kuv.Document()
    obj = nested_object(doc)
    empty = obj.to_frame("B", typed=True)
    assert len(empty) == 0 and "b1" in empty.columns
    assert obj.frames() == {}
    with pytest.raises(KeyError):
        obj.to_frame("Nothing")


def test_typed_frames_convert_by_declared_type_and_count_bad_texts():
    doc = kuv.Document()
    obj = doc.add_object("Typed", "t", "1", "W")
    obj.define_table("T")
    for field, type_ in [("key", "string"), ("depth", "Double"), ("count", "Integer"),
                         ("ok", "bool"), ("when", "date"), ("note", "unknown")]:
        obj.define_field("T", field, "", type_)
    rows = [
        ("a", " 12.5 ", "+7", "TRUE", "20240318T14:05:00000", "n"),
        ("b", "1,5", "1.5", "maybe", "20240230T00:00:00000", "n"),  # every one bad
        ("c", "", " ", "0", "29991231T00:00:00000", ""),  # blank is missing; 2999 is too late
        ("d", "-inf", "-9223372036854775808", "no", "20240229T23:59:00000", "n"),
    ]
    for row in rows:
        for field, text in zip(["key", "depth", "count", "ok", "when", "note"], row):
            obj.put("T", field, text)
    frame = obj.to_frame("T", typed=True)
    assert frame["depth"].dtype == np.float64 and str(frame["count"].dtype) == "Int64"
    assert str(frame["ok"].dtype) == "boolean" and frame["when"].dtype == "datetime64[ns]"
    assert frame["note"].dtype == object and frame.loc[2, "note"] == ""
    assert frame.loc[0, "depth"] == 12.5 and np.isinf(frame.loc[3, "depth"])
    assert frame.loc[0, "count"] == 7 and frame.loc[3, "count"] == -(2**63)
    assert list(frame["ok"].astype(object)) == [True, pd.NA, False, False]
    assert frame.loc[3, "when"] == pd.Timestamp("2024-02-29 23:59")
    assert frame.loc[1].drop(["key", "note"]).isna().all()
    assert frame.attrs["invalid"] == {"depth": 1, "count": 1, "ok": 1, "when": 2}
    assert obj.to_frame("T").loc[1, "depth"] == "1,5"  # untyped, nothing is lost


def write_copies(tmp_path, count):
    paths = []
    for index in range(count):
        path = tmp_path / f"doc{index}.kuv"
        path.write_bytes((EXAMPLES / "kestrel3_casing_tops.kuv").read_bytes())
        paths.append(path)
    return paths


@pytest.mark.parametrize("threads", [1, 2, 5])
def test_read_frames_joins_files_with_source_and_object(tmp_path, threads):
    paths = write_copies(tmp_path, 7) + [EXAMPLES / "kestrel3_log.kuv"]
    frames = kuv.read_frames(paths, threads=threads, typed=True)
    single = kuv.open(paths[0]).objects["CasingStrings"].to_frame("CementStage", typed=True)
    stages = frames["CementStage"]
    assert list(stages.columns[:2]) == ["source", "object"]
    assert len(stages) == 7 * len(single)
    assert list(stages["source"].unique()) == [str(path) for path in paths[:7]]
    assert (stages["object"] == "CasingStrings").all()
    one_file = stages[stages["source"] == str(paths[3])].drop(columns=["source", "object"])
    pd.testing.assert_frame_equal(one_file.set_index("row_id"), single, check_categorical=False)
    assert "Curve" in frames or "LogData" in frames or len(frames) > 3


def test_read_frames_names_the_file_it_cannot_read(tmp_path):
    paths = write_copies(tmp_path, 3)
    paths[1].write_bytes(b"garbage")
    with pytest.raises(kuv.Error) as raised:
        kuv.read_frames(paths, threads=2)
    assert str(paths[1]) in raised.value.message
    with pytest.raises(ValueError):
        kuv.read_frames(paths, threads=0)


def test_read_frames_keeps_texts_where_objects_declare_other_kinds(tmp_path):
    paths = []
    for index, type_ in enumerate(["float", "Double", "string"]):
        doc = kuv.Document()
        obj = doc.add_object("Kinds", "t", "1", "W")
        obj.define_table("T")
        obj.define_field("T", "depth", "m", type_)
        obj.put("T", "depth", f"{index}.5")
        doc.save(tmp_path / f"{index}.kuv")
        paths.append(tmp_path / f"{index}.kuv")
    assert kuv.read_frames(paths[:2], typed=True)["T"]["depth"].dtype == np.float64
    mixed = kuv.read_frames(paths, typed=True)["T"]
    assert list(mixed["depth"]) == ["0.5", "1.5", "2.5"] and mixed.attrs["invalid"] == {}


def test_a_repeated_field_goes_back_as_a_repeat_of_the_same_row():
    doc = kuv.Document()
    obj = nested_object(doc)
    for field, value in [("a1", "1"), ("a2", "x"), ("a2", "y"), ("a1", "2"), ("a2", "z")]:
        obj.put("A", field, value)
    frame = obj.to_frame("A")
    copy_doc = kuv.Document()
    copy = nested_object(copy_doc)
    copy.add_frame("A", frame)
    assert copy_doc.to_bytes().split(b"</DataDescription>")[1] == \
        doc.to_bytes().split(b"</DataDescription>")[1]
