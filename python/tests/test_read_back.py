"""A document is saved only when it reads back as it is: a leniently read
one that would not is refused by every save, with where and why."""

import io

import pytest

import kuv

LENIENT = (b"<?xml version='1.0'?>\n<KUV Version='2.0'>\n"
           b"<BusinessObject ID='Tops' Author='a' Version='1' WellID='w' "
           b"Date='20240101T00:00:00000'>\n<Top>\n<Name>Brent</Name>\n"
           b"<Formation kind='x'>Brent</Formation>\n<MD>2100</MD>\n</Top>\n"
           b"</BusinessObject>\n</KUV>\n")
WHERE = "object 'Tops', table 'Top' > '/Formation'"
WHY = "the table name begins with '/', so its tag would be read as a closing tag"


def test_a_document_that_would_read_back_different_is_not_saved(tmp_path):
    doc = kuv.open(LENIENT)
    problem = doc.find_read_back_problem()
    assert problem == kuv.ReadBackProblem("Tops", "/Formation", problem.row, problem.field,
                                          WHERE, WHY)
    assert doc.objects[0].find_read_back_problem() == problem
    target = tmp_path / "out.kuv"
    target.write_bytes(b"as it was")
    for save in [lambda: doc.save(target), doc.to_bytes, lambda: doc.save(io.BytesIO())]:
        with pytest.raises(kuv.Error) as raised:
            save()
        assert raised.value.code == kuv.ErrorCode.OPEN_FOR_SAVE
        assert f"{WHERE}: {WHY}" in str(raised.value)
        assert not isinstance(raised.value, OSError)
    assert target.read_bytes() == b"as it was"


def test_removing_what_was_read_leniently_makes_it_savable():
    doc = kuv.open(LENIENT)
    row = doc.objects[0].tables[0][0]
    row.remove_table(0)
    assert doc.find_read_back_problem() is None
    assert kuv.open(doc.to_bytes()).objects[0].tables[0][0].values == row.values
