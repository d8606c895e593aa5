"""Editing a document in place: values set and removed, rows and tables
removed, typed values only where the declared type takes them; what a
saved document could not give back is refused at the call."""

import datetime

import numpy as np
import pandas as pd
import pytest

import kuv


def reread(doc):
    return kuv.open(doc.to_bytes())


def casing(doc):
    return doc.objects["CasingStrings"]


def test_values_are_set_added_and_removed_and_read_back(casing_doc):
    surface = casing(casing_doc).tables[0][1]
    assert surface["Name"] == "Surface"
    surface["OD"] = "20.5"
    surface["Weight"] = 140  # a number into a float field
    surface["Grade"] = "K<55".replace("<", "-")
    del surface["Top"]
    surface["Top"] = 140.25  # a field the row no longer holds is added at its end
    assert "Top" in surface and surface.values[-1] == kuv.Value("Top", "140.25")
    frame = casing(reread(casing_doc)).to_frame("Casing", typed=True)
    assert frame.loc[1, ["OD", "Weight", "Top"]].tolist() == [20.5, 140.0, 140.25]
    assert frame.loc[1, "Grade"] == "K-55"
    with pytest.raises(KeyError):
        del surface["Nothing"]


def test_what_could_not_be_read_back_is_refused_and_changes_nothing(casing_doc):
    before = casing_doc.to_bytes()
    surface = casing(casing_doc).tables[0][1]
    with pytest.raises(kuv.Refusal, match="cannot remove the value of field 'Name'"):
        del surface["Name"]  # the row would merge into the row before
    with pytest.raises(kuv.Refusal) as refused:
        surface["OD"] = "a<b"
    assert "'<'" in refused.value.why
    with pytest.raises(kuv.Refusal, match="declared 'float', which takes numbers, not a date"):
        surface["OD"] = datetime.datetime(2024, 1, 1)
    with pytest.raises(kuv.Refusal, match="not a boolean"):
        surface.set_value(1, True)
    with pytest.raises(IndexError):
        surface.set_value(99, "1")
    assert casing_doc.to_bytes() == before


def test_rows_and_tables_are_removed_with_all_they_hold(casing_doc):
    obj = casing(casing_doc)
    table = obj.tables[0]
    rows_before = len(table)
    intermediate = table[2]
    stages = intermediate.tables[0]
    assert len(stages) == 2
    stages.remove_row(0)
    assert [row["Stage"] for row in stages] == ["2"]
    intermediate.remove_table(stages)
    with pytest.raises(ValueError, match="removed"):
        stages.name  # its handle knows the table is gone
    table.remove_row(table[0])
    del table[-1]
    assert len(table) == rows_before - 2
    frames = casing(reread(casing_doc)).frames()
    assert list(frames["Casing"]["Name"]) == [row["Name"] for row in table]
    stages_left = [row["Stage"] for casing_row in table for node in casing_row.tables
                   for row in node]
    assert list(frames["CementStage"]["Stage"]) == stages_left and len(stages_left) >= 2
    obj.remove_table(0)
    assert obj.tables == [] and "Casing" not in casing(reread(casing_doc)).frames()
    with pytest.raises(IndexError):
        obj.remove_table(0)


def test_typed_puts_go_only_where_the_declared_type_takes_them():
    doc = kuv.Document()
    obj = doc.add_object("Typed", "t", "1", "W")
    obj.define_table("T")
    for field, type_ in [("key", "string"), ("depth", "float"), ("count", "int"),
                         ("ok", "bool"), ("when", "date")]:
        obj.define_field("T", field, "", type_)
    obj.put("T", "key", "a")
    obj.put("T", "depth", np.float32(2.5))
    obj.put("T", "count", 3.0)  # a whole number, written as one
    obj.put("T", "ok", np.bool_(True))
    obj.put("T", "when", datetime.datetime(2005, 1, 19, 14, 5, 30, 250000))
    refused = [("depth", datetime.date(2005, 1, 19), "not a date"),
               ("count", 2.5, "not 2.5"),
               ("count", True, "not a boolean"),
               ("ok", 1, "takes booleans, not an integer"),
               ("when", 1.5, "takes dates, not a number")]
    for field, value, reason in refused:
        with pytest.raises(kuv.Refusal, match=reason) as raised:
            obj.put("T", field, value)
        assert f"field '{field}' of table 'T'" in str(raised.value)
    obj.put("T", "depth", "not a number, but a text goes in as it is")
    with pytest.raises(ValueError, match="no time zone"):
        obj.put("T", "when", datetime.datetime(2005, 1, 1, tzinfo=datetime.timezone.utc))
    row = obj.tables[0][0]
    assert row.values[:5] == [kuv.Value("key", "a"), kuv.Value("depth", "2.5"),
                              kuv.Value("count", "3"), kuv.Value("ok", "true"),
                              kuv.Value("when", "2005-01-19T14:05:30.25")]
    frame = kuv.open(doc.to_bytes()).objects[0].to_frame("T", typed=True)
    assert frame.loc[0, "when"] == pd.Timestamp("2005-01-19 14:05:30.25")
    assert frame.loc[0, "count"] == 3 and bool(frame.loc[0, "ok"])


def test_add_frame_takes_typed_columns_only_where_they_fit_and_dates_read_back():
    doc = kuv.Document()
    obj = doc.add_object("Typed", "t", "1", "W")
    obj.define_table("T")
    for field, type_ in [("key", "string"), ("count", "int"), ("when", "date")]:
        obj.define_field("T", field, "", type_)
    moments = pd.to_datetime(["2005-01-19 14:05", "2005-01-19 14:05:30.123456789", None])
    frame = pd.DataFrame({"key": ["a", "b", "c"], "count": [1.0, np.nan, 3.0], "when": moments})
    assert obj.add_frame("T", frame) == 3
    back = kuv.open(doc.to_bytes()).objects[0].to_frame("T", typed=True)
    pd.testing.assert_series_equal(back["when"], pd.Series(moments, name="when", index=back.index))
    assert back["count"].tolist() == [1, pd.NA, 3]
    with pytest.raises(kuv.Refusal, match="row 0, column 'count'.*not 1.5"):
        obj.add_frame("T", pd.DataFrame({"key": ["d"], "count": [1.5]}))
    assert len(obj.to_frame("T")) == 3


def test_a_frame_the_document_api_refuses_midway_leaves_no_row_behind():
    doc = kuv.Document()
    obj = doc.add_object("X", "t", "1", "W")
    obj.define_field("A", "a1")
    obj.define_field("A", "A")  # a field named like its table, declared before the table
    obj.define_table("A")
    before = doc.to_bytes()
    frame = pd.DataFrame({"a1": ["x", "y"], "A": [None, "bears its table's name"]})
    with pytest.raises(kuv.Refusal, match="bears the name of its table"):
        obj.add_frame("A", frame)  # the first row is written before the second is refused
    assert doc.to_bytes() == before and obj.tables == []
    obj.define_table("B", "A")
    obj.define_field("B", "b1")
    obj.add_frame("A", pd.DataFrame({"a1": ["x"]}))
    with pytest.raises(kuv.Refusal):  # a child table made for the frame goes too
        obj.add_frame("B", pd.DataFrame({"b1": ["1", "2<"], "parent_row_id": [0, 0]}))
    assert obj.tables[0][0].tables == []


def test_handles_of_a_closed_document_raise_and_never_reach_freed_memory(casing_doc):
    obj = casing(casing_doc)
    table = obj.tables[0]
    row = table[0]
    casing_doc.close()
    for use in [lambda: obj.id, lambda: table.name, lambda: row.values,
                lambda: row.__setitem__("OD", "1"), lambda: table.remove_row(0)]:
        with pytest.raises(ValueError, match="closed"):
            use()
