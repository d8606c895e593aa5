"""kuv.to_sqlite: documents into an SQLite archive through the library,
queried with Python's sqlite3."""

import os
import shutil
import sqlite3

import pytest

import kuv
from conftest import EXAMPLES, EXAMPLE_DOCUMENTS

DATA = EXAMPLES.parent / "tests" / "tools" / "data"


def query(db, sql):
    with sqlite3.connect(db) as connection:
        return connection.execute(sql).fetchall()


def test_every_document_goes_in_and_sql_reads_typed_values(tmp_path):
    db = tmp_path / "archive.db"
    assert kuv.to_sqlite(EXAMPLE_DOCUMENTS, db, threads=2) == 3
    assert query(db, "SELECT count(*) FROM kuv_documents") == [(3,)]
    assert query(db, "SELECT c.Name, c.Bottom FROM Casing c WHERE c.Bottom > 2000") == [
        ("Production", 2612.0), ("Liner", 2976.0)]
    # The same rows as the frames, row_id for row_id.
    frame = kuv.open(EXAMPLES / "kestrel3_log.kuv").objects[0].to_frame("Sample", typed=True)
    rows = query(db, "SELECT row_id, GR FROM Sample ORDER BY row_id")
    assert [row_id for row_id, _ in rows] == list(frame.index)
    assert [gr for _, gr in rows] == pytest.approx(list(frame["GR"]))
    # Stored again, documents replace themselves.
    assert kuv.to_sqlite(EXAMPLE_DOCUMENTS[:1], db) == 1
    assert query(db, "SELECT count(*) FROM kuv_objects") == [(5,)]


def test_failures_name_their_file_and_leave_the_others_stored(tmp_path):
    db = tmp_path / "archive.db"
    with pytest.raises(kuv.Error) as raised:
        kuv.to_sqlite([EXAMPLES / "kestrel3_log.kuv", DATA / "corrupted.kuv",
                       tmp_path / "missing.kuv"], db)
    assert str(raised.value).startswith(f"{DATA / 'corrupted.kuv'}: Error : Token is invalid.")
    assert "(and 1 more documents could not be stored)" in str(raised.value)
    assert query(db, "SELECT count(*) FROM kuv_documents") == [(1,)]
    with pytest.raises(kuv.Refusal, match="not valid UTF-8"):
        kuv.to_sqlite([DATA / "nested.kuv"], tmp_path / "utf8.db", encoding="utf-8")
    assert not (tmp_path / "utf8.db").exists()  # made for nothing, removed


def test_databases_it_cannot_use_raise_before_anything_is_read(tmp_path):
    junk = tmp_path / "junk.db"
    junk.write_bytes(b"x" * 4096)
    with pytest.raises(sqlite3.DatabaseError, match="is not an SQLite database"):
        kuv.to_sqlite(EXAMPLE_DOCUMENTS, junk)
    assert junk.read_bytes() == b"x" * 4096
    other = tmp_path / "other.db"
    with sqlite3.connect(other) as connection:
        connection.execute("CREATE TABLE people (name TEXT)")
    with pytest.raises(sqlite3.DatabaseError, match="not a kuv archive"):
        kuv.to_sqlite(EXAMPLE_DOCUMENTS, other)
    locked = tmp_path / "locked.db"
    kuv.to_sqlite(EXAMPLE_DOCUMENTS[:1], locked)
    os.chmod(locked, 0o444)
    with pytest.raises(sqlite3.DatabaseError, match="read-only"):
        kuv.to_sqlite(EXAMPLE_DOCUMENTS, locked)
    # Two paths of one document.
    copy = tmp_path / "copy.kuv"
    shutil.copy(EXAMPLE_DOCUMENTS[0], copy)
    with pytest.raises(ValueError, match="name the same document"):
        kuv.to_sqlite([copy, tmp_path / "." / "copy.kuv"], tmp_path / "twice.db")
    assert not (tmp_path / "twice.db").exists()
    with pytest.raises(ValueError, match="cp1252, latin1 or utf-8"):
        kuv.to_sqlite([copy], tmp_path / "x.db", encoding="utf-16")
    with pytest.raises(ValueError):
        kuv.to_sqlite([copy], tmp_path / "x.db", threads=0)
