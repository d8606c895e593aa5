"""Documents and business objects as notebooks show them (_repr_html_):
each object's header, its data description, and each table with its row
count and first rows."""

from __future__ import annotations

import html
from typing import TYPE_CHECKING, Any, List, Optional, Sequence

from . import _core

if TYPE_CHECKING:
    from ._document import BusinessObject, Document

SHOWN_ROWS = 5
SHOWN_OBJECTS = 20

_STYLE = ("<style>.kuv-doc table{border-collapse:collapse;margin:2px 0 8px}"
          ".kuv-doc td,.kuv-doc th{border:1px solid #ccd;padding:1px 6px;text-align:left}"
          ".kuv-doc th{background:#f2f4f7}.kuv-doc details{margin-left:1em}</style>")


def _text(value: Any) -> str:
    if isinstance(value, bytes):
        value = value.decode("latin-1")
    return html.escape(str(value))


def _table(header: Sequence[Any], rows: Sequence[Sequence[Any]]) -> str:
    head = "".join(f"<th>{_text(cell)}</th>" for cell in header)
    body = "".join(
        "<tr>" + "".join(f"<td>{'' if cell is None else _text(cell)}</td>" for cell in row)
        + "</tr>" for row in rows)
    return f"<table><tr>{head}</tr>{body}</table>"


def _column_name(field: str, occurrence: int) -> str:
    return field if occurrence == 0 else f"{field}.{occurrence}"


def _object_body(obj: BusinessObject) -> str:
    decode = obj._texts.decode
    parts: List[str] = [_table(["ID", "Author", "Version", "WellID", "Date"],
                               [[obj.id, obj.author, obj.version, obj.well_id, obj.date]])]
    definitions = obj.definitions
    if definitions.tables or definitions.fields:
        described = _table(["table", "parent", "fields (unit, type)"], [
            [table.table, table.parent,
             ", ".join(f"{field.field} ({field.unit}, {field.type})"
                       for field in definitions.fields_of(table.table))]
            for table in definitions.tables])
        parts.append(f"<details><summary>Data description: {len(definitions.tables)} tables, "
                     f"{len(definitions.fields)} fields</summary>{described}</details>")
    for name, count, columns, rows in _core.object_preview(obj._core, SHOWN_ROWS):
        header = [_column_name(decode(field), occurrence) for field, occurrence in columns]
        shown = [[None if text is None else decode(text) for text in row] for row in rows]
        more = f", the first {len(rows)} shown" if count > len(rows) else ""
        parts.append(f"<details open><summary>Table <b>{_text(decode(name))}</b>: "
                     f"{count} rows{more}</summary>{_table(header, shown)}</details>")
    return "".join(parts)


def object_html(obj: BusinessObject, title: Optional[str] = None) -> str:
    heading = title or f"kuv.BusinessObject {_text(obj.id)}"
    return f"{_STYLE}<div class='kuv-doc'><b>{heading}</b>{_object_body(obj)}</div>"


def document_html(document: Document) -> str:
    objects = document.objects
    parts = [f"<b>kuv.Document</b>: {len(objects)} business objects"]
    for index, obj in enumerate(objects):
        if index == SHOWN_OBJECTS:
            parts.append(f"<p>... and {len(objects) - SHOWN_OBJECTS} more</p>")
            break
        parts.append(f"<details open><summary>Object <b>{_text(obj.id)}</b>, well "
                     f"{_text(obj.well_id)}</summary>{_object_body(obj)}</details>")
    return f"{_STYLE}<div class='kuv-doc'>{''.join(parts)}</div>"
