"""Documents and business objects in a notebook: _repr_html_ shows each
object's header, its data description and each table with its row count
and first rows."""

import kuv
from conftest import EXAMPLES


def test_an_object_shows_its_header_description_and_first_rows(casing_doc):
    page = casing_doc.objects["CasingStrings"]._repr_html_()
    for text in ["CasingStrings", "t.aasen", "KES-3", "20240318T14:05:00000",
                 "Data description: 2 tables, 11 fields", "OD (in, float)",
                 "Table <b>Casing</b>: 5 rows<", "Conductor", "309.72",
                 "Table <b>CementStage</b>: 7 rows, the first 5 shown"]:
        assert text in page, text
    assert page.count("<tr>") == 1 + 1 + 1 + 2 + 1 + 5 + 1 + 5  # header, description, tables


def test_a_document_shows_every_object_and_escapes_its_texts():
    doc = kuv.Document()
    obj = doc.add_object("A&B", "<author", "1", "W")
    obj.define_table("T")
    obj.define_field("T", "x")
    obj.put("T", "x", "a > b & c")
    page = doc._repr_html_()
    assert "A&amp;B" in page and "&lt;author" in page and "a &gt; b &amp; c" in page
    assert "<author" not in page
    assert "2 business objects" in kuv.open(EXAMPLES / "kestrel3_casing_tops.kuv")._repr_html_()
    doc.close()
    assert "closed" in doc._repr_html_()
