"""kuv.diff: the library's comparison of two documents, as a DataFrame."""

import pandas as pd
import pytest

import kuv
from conftest import EXAMPLES

CASING = EXAMPLES / "kestrel3_casing_tops.kuv"


def edited(tmp_path, *edits, source=CASING):
    data = source.read_bytes()
    for old, new in edits:
        assert old in data
        data = data.replace(old, new, 1)
    path = tmp_path / f"edited{len(list(tmp_path.iterdir()))}.kuv"
    path.write_bytes(data)
    return path


def test_the_same_document_has_no_differences(example):
    frame = kuv.diff(example, example)
    assert frame.empty
    assert list(frame.columns) == ["part", "change", "object", "object_number", "table", "row",
                                   "before_row", "after_row", "field", "occurrence", "attribute",
                                   "before", "after"]


def test_differences_are_rows_as_the_tool_reports_them(tmp_path):
    after = edited(tmp_path, (b"<OD>20.000</OD>", b"<OD>20.001</OD>"),
                   (b"Author='m.rivas'", b"Author='j.doe'"),
                   (b"<Name>Liner</Name>", b"<Name>Tieback</Name>"))
    frame = kuv.diff(CASING, after)
    assert list(zip(frame["part"], frame["change"], frame["object"], frame["row"],
                    frame["field"], frame["attribute"], frame["before"], frame["after"])) == [
        ("value", "changed", "CasingStrings", "Casing[Name=Surface]", "OD", "", "20.000",
         "20.001"),
        ("row", "removed", "CasingStrings", "Casing[Name=Liner]", "", "",
         "Name=Liner, OD=7.000, Weight=29.00, Grade=L-80, Top=2540.00, Bottom=2976.00", None),
        ("row", "added", "CasingStrings", "Casing[Name=Tieback]", "", "", None,
         "Name=Tieback, OD=7.000, Weight=29.00, Grade=L-80, Top=2540.00, Bottom=2976.00"),
        ("header", "changed", "FormationTops", "", "", "Author", "m.rivas", "j.doe"),
    ]
    # Row ids join the frames of each side.
    assert frame["before_row"].dtype == "Int64"
    assert list(frame["before_row"].astype(object).where(frame["before_row"].notna(), None)) == [
        1, 4, None, None]
    assert frame.loc[2, "after_row"] == 4
    casing = kuv.open(after).objects["CasingStrings"].to_frame("Casing")
    assert casing.loc[frame.loc[2, "after_row"], "Name"] == "Tieback"


def test_keys_and_tolerance_reach_the_library(tmp_path):
    after = edited(tmp_path, (b"<OD>20.000</OD>", b"<OD>20.001</OD>"),
                   (b"<Name>Liner</Name>", b"<Name>Tieback</Name>"))
    assert len(kuv.diff(CASING, after, tolerance=0.01)) == 2  # the liner's two rows
    assert len(kuv.diff(CASING, after, tolerance="0.001%")) == 3
    # Matched by OD, the liner only changed its name (keys are exact text).
    renamed = edited(tmp_path, (b"<Name>Liner</Name>", b"<Name>Tieback</Name>"))
    by_od = kuv.diff(CASING, renamed, key={"Casing": "OD"})
    assert list(by_od["row"]) == ["Casing[OD=7.000]"]
    assert list(by_od["before"]) == ["Liner"]
    with pytest.raises(ValueError, match="tolerance"):
        kuv.diff(CASING, after, tolerance="-1")
    with pytest.raises(TypeError):
        kuv.diff(CASING, after, tolerance=True)


def test_documents_in_memory_and_their_encoding(tmp_path):
    nested = EXAMPLES.parent / "tests" / "tools" / "data" / "nested.kuv"
    with kuv.open(nested) as before:
        after = kuv.open(edited(tmp_path, (b"T. \xd8stby", b"T. Ostby"), source=nested))
        frame = kuv.diff(before, after)
        assert list(frame["before"]) == ["T. \u00d8stby"]
        assert kuv.diff(before, before).empty  # one document, compared with itself
        assert list(kuv.diff(before, after, encoding=None)["before"]) == ["T. \u00d8stby"]
        raw = kuv.diff(kuv.open(nested, encoding=None), after)
        assert list(raw["before"]) == [b"T. \xd8stby"]
    with pytest.raises(TypeError):
        kuv.diff(42, nested)
    with pytest.raises(kuv.Error):
        kuv.diff(nested, tmp_path / "missing.kuv")
