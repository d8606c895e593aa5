"""Many documents as dask DataFrames, one partition per document.

    import kuv.dask
    from distributed import Client, LocalCluster

    with LocalCluster(n_workers=2, processes=True) as cluster, Client(cluster):
        samples = kuv.dask.read_table(paths, "Sample", na_values=[-999.25])
        mean_gr = samples.groupby("source")["GR"].mean().compute()

Each partition is read by whichever worker takes it: only the path and the
reading's options travel to it, never a document. The columns are those of
:func:`kuv.read_frames` (``source``, ``object``, ``row_id``, with
``parent_table`` and ``parent_row_id`` for a nested table), then one per
field the table declares, typed by its declared type. Only this module
needs dask; the rest of the package imports without it.
"""

from __future__ import annotations

import os
from typing import Any, Dict, Iterable, List, Optional, Sequence, Tuple, Union

import dask.dataframe as dd
import pandas as pd

from . import _core
from ._document import open as _open
from ._frames import OBJECT, PARENT_ROW_ID, PARENT_TABLE, ROW_ID, SOURCE, NaValues, frames_of_files
from ._text import PathLike, Texts

__all__ = ["read_frames", "read_table"]

_DTYPES = {"float": "float64", "integer": "Int64", "boolean": "boolean",
           "date": "datetime64[ns]", "text": "object"}


def _paths(paths: Union[PathLike, Iterable[PathLike]]) -> List[str]:
    if isinstance(paths, (str, bytes)) or isinstance(paths, os.PathLike):
        paths = [paths]
    names = [os.fsdecode(os.fspath(path)) for path in paths]
    if not names:
        raise ValueError("kuv: no documents to read")
    return names


Declared = Dict[str, Tuple[str, List[Tuple[str, str]]]]


def _declared(path: str, encoding: Optional[str]) -> Declared:
    """The tables of a document, as its first object that declares each
    does: by name, the parent and the fields with the kind of value their
    declared types name; then the tables it holds without declaring them."""
    declared: Declared = {}
    with _open(path, encoding=encoding) as doc:
        for obj in doc.objects:
            definitions = obj.definitions
            for table in definitions.tables:
                if table.table not in declared:
                    declared[table.table] = (table.parent, [
                        (field.field, _core.kind_of_type(obj._texts.encode(field.type, "type")))
                        for field in definitions.fields_of(table.table)])
        for obj in doc.objects:
            for name, *_ in _core.object_preview(obj._core, 0):
                declared.setdefault(obj._texts.decode(name), ("", []))
    return declared


def _meta(parent: str, fields: Sequence[Tuple[str, str]], typed: bool) -> pd.DataFrame:
    """The empty frame of a table's columns: fields as (name, kind)."""
    columns: Dict[str, Any] = {
        SOURCE: pd.Series([], dtype=object),
        OBJECT: pd.Series([], dtype=object),
        ROW_ID: pd.Series([], dtype="int64"),
    }
    if parent:
        columns[PARENT_TABLE] = pd.Series([], dtype=object)
        columns[PARENT_ROW_ID] = pd.Series([], dtype="Int64")
    for field, kind in fields:
        if field not in columns:
            columns[field] = pd.Series([], dtype=_DTYPES[kind if typed else "text"])
    return pd.DataFrame(columns)


class _TableOfDocument:
    """Reads one table of one document into the columns of meta; what
    travels to a worker is this object and a path."""

    def __init__(self, table: str, typed: bool, na_values: NaValues, encoding: Optional[str],
                 meta: pd.DataFrame) -> None:
        self.table = table
        self.typed = typed
        self.na_values = na_values
        self.encoding = encoding
        self.meta = meta

    def __call__(self, path: str) -> pd.DataFrame:
        frame = self._read(path)
        conformed: Dict[str, Any] = {}
        for name, dtype in self.meta.dtypes.items():
            if name not in frame.columns:
                conformed[name] = pd.Series(index=frame.index, dtype=dtype)
                continue
            column = frame[name]
            if column.dtype == dtype:
                conformed[name] = column
                continue
            try:
                conformed[name] = column.astype(dtype)
            except (TypeError, ValueError) as error:
                raise ValueError(
                    f"kuv: {path}: column {name!r} of table {self.table!r} does not convert to "
                    f"{dtype}, the type the first document declares ({error})") from None
        return pd.DataFrame(conformed, index=frame.index, copy=False)

    def _read(self, path: str) -> pd.DataFrame:
        """The table's rows in every object of the document, as
        kuv.read_frames lays them out; only this table is converted."""
        frames = frames_of_files([path], 1, self.typed, Texts(self.encoding), self.na_values,
                                 [self.table])
        frame = frames.get(self.table)
        return self.meta.iloc[:0] if frame is None else frame


def read_table(paths: Union[PathLike, Iterable[PathLike]], table: str, typed: bool = True,
               na_values: NaValues = None, *, encoding: Optional[str] = "cp1252",
               meta: Optional[pd.DataFrame] = None) -> dd.DataFrame:
    """One table of many documents as a dask DataFrame, one partition per
    document, built with ``dask.dataframe.from_map``.

    Its columns (the ``meta``) come from the definitions of the first
    document that declares the table; columns of fields it does not
    declare, and second values of a field in a row, are left out
    (:func:`kuv.read_frames` has them). ``typed`` and ``na_values`` are
    :meth:`kuv.BusinessObject.to_frame`'s. Give ``meta`` (an empty frame
    of the columns) to read no document on the calling side.
    """
    names = _paths(paths)
    if meta is None:
        declared = _declared(names[0], encoding)
        if table not in declared:
            raise KeyError(f"the first document, {names[0]}, has no table {table!r} and "
                           "declares none")
        parent, fields = declared[table]
        meta = _meta(parent, fields, typed)
    part = _TableOfDocument(table, typed, na_values, encoding, meta)
    frame: dd.DataFrame = dd.from_map(  # type: ignore[no-untyped-call]
        part, names, meta=meta, label=f"kuv-{table}", enforce_metadata=False)
    return frame


def read_frames(paths: Union[PathLike, Iterable[PathLike]], typed: bool = True,
                na_values: NaValues = None, *,
                encoding: Optional[str] = "cp1252") -> Dict[str, dd.DataFrame]:
    """Every table of many documents, as :func:`read_table` gives each, by
    name: the tables the first document declares or holds. Each table reads
    every document once; read_table reads one table alone."""
    names = _paths(paths)
    declared = _declared(names[0], encoding)
    return {table: read_table(names, table, typed, na_values, encoding=encoding,
                              meta=_meta(parent, fields, typed))
            for table, (parent, fields) in declared.items()}

