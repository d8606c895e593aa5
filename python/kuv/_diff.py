"""What differs between two documents, as a DataFrame."""

from __future__ import annotations

from typing import Dict, List, Mapping, Optional, Tuple, Union

import pandas as pd

from . import _core
from ._document import Document, DocumentSource, open as open_document

COLUMNS = ("part", "change", "object", "object_number", "table", "row", "before_row",
           "after_row", "field", "occurrence", "attribute", "before", "after")


def _document(source: Union[Document, DocumentSource],
              encoding: Optional[str]) -> Tuple[Document, bool]:
    """A kuv.Document as it is, or one read from what kuv.open takes; and
    whether it was opened here (and so is to be closed here)."""
    if isinstance(source, Document):
        return source, False
    return open_document(source, encoding=encoding), True


def _tolerance_text(tolerance: Union[float, str, None]) -> Optional[str]:
    if tolerance is None:
        return None
    if isinstance(tolerance, bool) or not isinstance(tolerance, (int, float, str)):
        raise TypeError("kuv: tolerance is a number or a percentage such as '0.5%'")
    return tolerance if isinstance(tolerance, str) else repr(float(tolerance))


def diff(before: Union[Document, DocumentSource], after: Union[Document, DocumentSource], *,
         key: Optional[Mapping[str, str]] = None, tolerance: Union[float, str, None] = None,
         encoding: Optional[str] = "cp1252") -> pd.DataFrame:
    """The differences between two documents (each a :class:`kuv.Document`,
    or what :func:`kuv.open` takes: a path, the bytes, a binary file) as the kuv tool's ``diff`` finds them: one
    row per difference, in the order ``kuv diff`` prints them.

    ``key`` maps a table name to the field whose text matches its rows
    (default: the table's first field where its texts are unique, else the
    row's position). ``tolerance`` lets numbers of fields declared numeric
    differ by an amount (``0.01``) or a percentage (``"0.5%"``); without
    it, values compare as exact text.

    The columns: ``part`` ("object", "header", "table definition", "field
    definition", "table", "row", "value"), ``change`` ("added", "removed",
    "changed"), ``object`` (its ID) and ``object_number`` (2 for the second
    object of that ID), ``table``, ``row`` (the row's key path, such as
    ``Casing[Name=Surface]/CementStage[1]``), ``before_row`` and
    ``after_row`` (its ``row_id`` on each side, as frames number rows),
    ``field`` and ``occurrence``, ``attribute`` (of a header or a
    definition), ``before`` and ``after`` (the texts; None where a side has
    none). An empty frame means the documents hold the same.
    """
    first, close_first = _document(before, encoding)
    try:
        second, close_second = _document(after, encoding)
        try:
            keys = [(first._texts.encode(table, "key table"), first._texts.encode(field, "key field"))
                    for table, field in (key or {}).items()]
            found = _core.diff(first._core, second._core, keys, _tolerance_text(tolerance))
        finally:
            if close_second:
                second.close()
    finally:
        if close_first:
            first.close()

    decode = first._texts.decode  # texts come back in the first document's encoding
    columns: Dict[str, List[object]] = {name: [] for name in COLUMNS}
    for (part, change, obj, number, table, row, before_row, after_row, field, occurrence,
         attribute, old, new) in found:
        columns["part"].append(part)
        columns["change"].append(change)
        columns["object"].append(decode(obj))
        columns["object_number"].append(number)
        columns["table"].append(decode(table))
        columns["row"].append(decode(row))
        columns["before_row"].append(before_row if before_row >= 0 else None)
        columns["after_row"].append(after_row if after_row >= 0 else None)
        columns["field"].append(decode(field))
        columns["occurrence"].append(occurrence)
        columns["attribute"].append(attribute)
        columns["before"].append(None if old is None else decode(old))
        columns["after"].append(None if new is None else decode(new))
    frame = pd.DataFrame(columns)
    for name in ("before_row", "after_row"):
        frame[name] = pd.array(columns[name], dtype="Int64")
    for name in ("object_number", "occurrence"):
        frame[name] = frame[name].astype("int64")
    return frame
