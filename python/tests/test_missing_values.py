"""na_values: texts and numbers that stand for "no value", as
pandas.read_csv takes them."""

import numpy as np
import pandas as pd
import pytest

import kuv


@pytest.fixture
def log_doc(tmp_path):
    doc = kuv.Document()
    obj = doc.add_object("WellLog", "t", "1", "W")
    obj.define_table("Sample")
    for field, type_ in [("DEPT", "float"), ("GR", "float"), ("NPHI", "float"),
                         ("COUNT", "int"), ("FLAG", "string")]:
        obj.define_field("Sample", field, "", type_)
    rows = [("100.0", "-999.25", "0.25", "-999", "ok"),
            ("100.5", " -999.250 ", "-999.25", "7", "-999.25"),
            ("101.0", "55.5", "N/A", "-999", "N/A")]
    for row in rows:
        for field, text in zip(["DEPT", "GR", "NPHI", "COUNT", "FLAG"], row):
            obj.put("Sample", field, text)
    path = tmp_path / "log.kuv"
    doc.save(path)
    return path


def test_by_default_nothing_is_missing_but_blank_texts(log_doc):
    frame = kuv.open(log_doc).objects[0].to_frame("Sample", typed=True)
    assert frame["GR"].tolist()[:2] == [-999.25, -999.25]
    assert np.isnan(frame.loc[2, "NPHI"]) and frame.attrs["invalid"]["NPHI"] == 1


def test_numbers_compare_after_conversion_and_texts_as_written(log_doc):
    obj = kuv.open(log_doc).objects[0]
    typed = obj.to_frame("Sample", typed=True, na_values=[-999.25, "N/A", -999])
    assert typed["GR"].isna().tolist() == [True, True, False]  # " -999.250 " too
    assert typed["NPHI"].isna().tolist() == [False, True, True]
    assert typed["COUNT"].tolist() == [pd.NA, 7, pd.NA]
    assert typed["FLAG"].tolist() == ["ok", None, None]  # texts: "-999.25" and "N/A"
    assert typed.attrs["invalid"] == {"DEPT": 0, "GR": 0, "NPHI": 0, "COUNT": 0}
    texts = obj.to_frame("Sample", na_values=-999.25)
    # Texts are compared as written (blanks aside): " -999.250 " is no "-999.25".
    assert texts["GR"].tolist() == [None, " -999.250 ", "55.5"] and texts["NPHI"][1] is None
    assert texts["COUNT"].tolist() == ["-999", "7", "-999"]


def test_a_dict_names_the_columns_it_applies_to(log_doc):
    frame = kuv.open(log_doc).objects[0].to_frame(
        "Sample", typed=True, na_values={"GR": -999.25, "FLAG": ["N/A"]})
    assert frame["GR"].isna().tolist() == [True, True, False]
    assert frame["NPHI"][1] == -999.25 and frame["FLAG"].tolist() == ["ok", "-999.25", None]


def test_read_frames_takes_them_too(log_doc):
    frames = kuv.read_frames([log_doc, log_doc], typed=True, na_values=[-999.25])
    assert frames["Sample"]["GR"].isna().sum() == 4
    with pytest.raises(TypeError, match="texts and numbers"):
        kuv.read_frames([log_doc], na_values=[object()])
