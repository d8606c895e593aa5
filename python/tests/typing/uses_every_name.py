"""Every public name of kuv, used as a typed program uses it: mypy --strict
checks this file against the installed package (tests/test_typing.py),
which also runs it."""

from __future__ import annotations

import datetime
import io
import pathlib
import sqlite3
import tempfile
from typing import Dict, List, Optional

import kuv
import kuv.dask
import kuv.plot


def build(template_path: pathlib.Path) -> kuv.Document:
    doc = kuv.Document(encoding="cp1252")
    template = kuv.Template(template_path)
    kinds: List[str] = template.ids
    definitions: kuv.Definitions = template.definitions("CasingStrings")
    tables: tuple[kuv.TableDefinition, ...] = definitions.tables
    fields: tuple[kuv.FieldDefinition, ...] = definitions.fields
    assert kinds and tables and fields
    obj: kuv.BusinessObject = doc.add_object("CasingStrings", "me", "1", "W-1", template=template)
    obj.put("Casing", "Name", "Surface")
    obj.put("Casing", "OD", 20.0)
    obj.date_time = datetime.datetime(2024, 3, 18, 14, 5)
    obj.well_id = "W-2"
    return doc


def walk(doc: kuv.Document) -> List[kuv.Value]:
    objects: kuv.Objects = doc.objects
    found: List[kuv.Value] = []
    for obj in objects:
        for table in obj.tables:
            rows: List[kuv.Row] = table.rows
            for row in rows:
                found.extend(row.values)
                child: kuv.Table
                for child in row.tables:
                    assert child.parent_row == row
    return found


def edit(doc: kuv.Document) -> Optional[kuv.ReadBackProblem]:
    row = doc.objects[0].tables[0][0]
    row["OD"] = 20.5
    row.set_value(0, "Surface casing")
    text: Optional[str] = row.get("OD")
    assert text == "20.5"
    return doc.find_read_back_problem()


def read_back(doc: kuv.Document) -> Dict[str, object]:
    buffer = io.BytesIO()
    doc.save(buffer)
    again = kuv.open(buffer.getvalue())
    frame = again.objects["CasingStrings"].to_frame("Casing", typed=True, na_values=[-999.25])
    moment: Optional[datetime.datetime] = kuv.parse_date(kuv.format_date(datetime.date(2024, 1, 2)))
    return {"rows": len(frame), "moment": moment, "version": kuv.__version__}


def refusals(doc: kuv.Document) -> List[str]:
    reasons: List[str] = []
    try:
        doc.objects[0].put("Casing", "OD", datetime.datetime(2024, 1, 1))
    except kuv.Refusal as refusal:
        reasons.append(refusal.why)
    try:
        kuv.open(pathlib.Path("/no/such/file.kuv"))
    except kuv.Error as error:
        code: kuv.ErrorCode = error.code
        reasons.append(f"{int(code)} {error.message}")
    return reasons


def many(paths: List[str]) -> int:
    frames = kuv.read_frames(paths, threads=2, typed=True)
    table = kuv.dask.read_table(paths, "Casing")
    per_table = kuv.dask.read_frames(paths)
    assert kuv.plot.tracks is not None
    return len(frames) + len(per_table) + int(table.npartitions)


def compare_and_archive(path: pathlib.Path) -> int:
    changes = kuv.diff(path, kuv.open(path), key={"Casing": "Name"}, tolerance="0.5%")
    assert changes.empty
    with tempfile.TemporaryDirectory() as folder:
        database = pathlib.Path(folder) / "archive.db"
        stored: int = kuv.to_sqlite([path], database, threads=1)
        with sqlite3.connect(database) as connection:
            rows = connection.execute('SELECT count(*) FROM "Casing"').fetchone()[0]
        connection.close()
    return stored + int(rows)


def main(examples: pathlib.Path) -> None:
    doc = build(examples / "Standard.kvt")
    assert walk(doc) and edit(doc) is None
    assert read_back(doc)["rows"] == 1
    assert len(refusals(doc)) == 2
    casing = examples / "kestrel3_casing_tops.kuv"
    assert many([str(casing), str(casing)]) >= 3
    assert compare_and_archive(casing) == 1 + 5
