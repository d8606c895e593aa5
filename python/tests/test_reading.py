"""Opening documents and every accessor of documents, objects and trees."""

import datetime
import pathlib

import pytest

import kuv
from conftest import EXAMPLES, nested_object


def test_open_from_path_pathlike_and_bytes_gives_the_same(example):
    by_str = kuv.open(str(example))
    by_path = kuv.open(pathlib.Path(example))
    by_bytes = kuv.open(example.read_bytes())
    assert by_str.objects.ids == by_path.objects.ids == by_bytes.objects.ids
    assert by_str.to_bytes() == by_bytes.to_bytes()
    assert len(by_str) == len(by_str.objects) > 0


def test_a_written_document_reads_back_byte_for_byte(example):
    doc = kuv.open(example)
    assert kuv.open(doc.to_bytes()).to_bytes() == doc.to_bytes()
    assert doc.version == "2.0'"


def test_objects_by_index_id_slice_and_membership(casing_doc):
    objects = casing_doc.objects
    first, last = objects[0], objects[-1]
    assert first.id == "CasingStrings" and last.id == "FormationTops"
    assert objects["FormationTops"] == last
    assert objects[0:2] == [first, last]
    assert "CasingStrings" in objects and "Nothing" not in objects
    assert first in objects
    assert first != kuv.open(EXAMPLES / "kestrel3_casing_tops.kuv").objects[0]  # another document
    assert objects.get("Nothing") is None
    assert [obj.id for obj in casing_doc] == objects.ids
    with pytest.raises(KeyError):
        objects["Nothing"]
    with pytest.raises(IndexError):
        objects[2]


def test_header_texts_and_date(casing_doc):
    obj = casing_doc.objects["CasingStrings"]
    assert (obj.id, obj.author, obj.version, obj.well_id) == ("CasingStrings", "t.aasen", "1",
                                                              "KES-3")
    assert obj.date == "20240318T14:05:00000"
    assert obj.date_time == datetime.datetime(2024, 3, 18, 14, 5)
    obj.author = "someone else"
    obj.date_time = datetime.datetime(2025, 1, 2, 3, 4, 59)
    assert obj.author == "someone else" and obj.date == "20250102T03:04:00000"
    obj.date = "not a date"
    assert obj.date_time is None
    with pytest.raises(ValueError):
        obj.author = "O'Neil"  # the apostrophe would end the attribute


def test_definitions_give_parents_units_and_types(casing_doc):
    definitions = casing_doc.objects["CasingStrings"].definitions
    assert kuv.TableDefinition("CementStage", "Casing") in definitions.tables
    assert definitions.parent_of("Casing") == "" and definitions.parent_of("None") is None
    od = [f for f in definitions.fields_of("Casing") if f.field == "OD"][0]
    assert (od.unit, od.type) == ("in", "float")
    assert casing_doc.objects[0].field_definition("CementStage", "Stage").type == "int"
    assert casing_doc.objects[0].field_definition("CementStage", "Nothing") is None


def test_tree_walks_tables_rows_values_and_back_up(casing_doc):
    casing = casing_doc.objects["CasingStrings"].tables[0]
    assert casing.name == "Casing" and casing.parent_row is None and len(casing) == 5
    surface = casing.rows[1]
    assert surface["Name"] == "Surface" and surface.get("Nothing", "-") == "-"
    assert surface.values[1] == kuv.Value("OD", "20.000")
    stage = surface.tables[0]
    assert stage.name == "CementStage" and stage.parent_row == surface
    assert stage.rows[0].table == stage
    assert "Surface" in repr(surface)


def test_handles_refuse_use_after_their_nodes_are_gone():
    doc = kuv.Document()
    obj = nested_object(doc)
    obj.put("A", "a1", "1")
    table = obj.tables[0]
    row = table.rows[0]
    obj.clear_tables()
    with pytest.raises(ValueError, match="removed from its document"):
        row.values
    with pytest.raises(ValueError, match="removed from its document"):
        table.name
    other = doc.add_object("Other", "t", "1", "W")
    doc.remove(obj)
    with pytest.raises(ValueError, match="removed"):
        obj.id
    assert doc.objects[0] == other
    with doc:
        doc.close()  # closing twice is no error
    with pytest.raises(ValueError, match="closed"):
        other.id
    with pytest.raises(ValueError, match="closed"):
        len(doc)


@pytest.mark.parametrize(
    "data, code",
    [
        (b"", kuv.ErrorCode.NOT_KUV),
        (b"<?xml version='1.0'?>\n<NOTIT>\n", kuv.ErrorCode.NOT_KUV),
        (b"<?xml?><KUV Version='2.0'>", kuv.ErrorCode.INVALID_TOKEN),
        (b"<?xml?>\n<KUV Version='2.0'>\n<BusinessObject ID='x'>\n</BusinessObject>\n</KUV>\n",
         kuv.ErrorCode.BUSINESS_OBJECT),
    ],
)
def test_unreadable_bytes_raise_the_library_code_and_message(data, code):
    with pytest.raises(kuv.Error) as raised:
        kuv.open(data)
    assert raised.value.code == code
    assert str(raised.value).startswith("Error : ")


def test_missing_files_and_unsavable_paths_raise_errors(tmp_path):
    with pytest.raises(kuv.Error) as raised:
        kuv.open(tmp_path / "missing.kuv")
    assert raised.value.code == kuv.ErrorCode.OPEN_INPUT
    assert "missing.kuv" in raised.value.message
    with pytest.raises(kuv.Error) as raised:
        kuv.Document().save(tmp_path)  # a folder
    assert raised.value.code == kuv.ErrorCode.OPEN_FOR_SAVE
    with pytest.raises(ValueError, match="null byte"):
        kuv.open(str(EXAMPLES / "kestrel3_log.kuv") + "\0ignored")
    with pytest.raises(kuv.Error) as raised:
        kuv.Template(EXAMPLES / "kestrel3_log.kuv")  # a document, version 2.0
    assert raised.value.code == kuv.ErrorCode.TEMPLATE_VERSION


def test_wrong_argument_types_raise_type_errors(casing_doc):
    with pytest.raises(TypeError):
        kuv.open(12)
    with pytest.raises(TypeError):
        casing_doc.objects[0].to_frame(3)
    with pytest.raises(LookupError):
        kuv.open(EXAMPLES / "kestrel3_log.kuv", encoding="no-such-codec")


def test_template_lists_its_kinds_and_definitions(template):
    assert "CasingStrings" in template.ids and "CasingStrings" in template
    assert template.definitions("CasingStrings").parent_of("CementStage") == "Casing"
    assert template.version.startswith("3.")
    with pytest.raises(KeyError):
        template.definitions("Nothing")
