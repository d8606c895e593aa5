"""Tables as pandas DataFrames, and DataFrames written back as rows.

A frame holds every row of one table, wherever it nests, one column per
field. Its index, ``row_id``, is the row's position among the rows of that
table in document order (0, 1, 2..., unchanged when rows are added to other
tables). Where rows are nested, two more columns name the row that holds
each row's table node: ``parent_table`` and ``parent_row_id`` (that row's
``row_id``). A child frame therefore joins its parent with
``child.merge(parent, left_on="parent_row_id", right_on="row_id")``.
"""

import os
import re

import numpy as np
import pandas as pd

from . import _core
from ._text import Texts, path_bytes

ROW_ID = "row_id"
PARENT_TABLE = "parent_table"
PARENT_ROW_ID = "parent_row_id"
IDENTITY = (ROW_ID, PARENT_TABLE, PARENT_ROW_ID)
SOURCE = "source"
OBJECT = "object"

_REPEAT = re.compile(r"(.+)\.(\d+)")


def _repeat_name(name, occurrence):
    if occurrence == 0:
        return name
    if isinstance(name, bytes):
        return name + b"." + str(occurrence).encode()
    return f"{name}.{occurrence}"


def _column_values(kind, values, mask):
    if kind == "integer":
        return pd.arrays.IntegerArray(values, mask)
    if kind == "boolean":
        return pd.arrays.BooleanArray(values, mask)
    return values


def frame_from_core(raw, texts, typed, leading=None):
    """A DataFrame of one table as _core gives it.

    leading: columns to put first, for read_frames, whose frames keep
    row_id as a column (the rows of many objects) rather than as the index.
    """
    decode = texts.decode
    data = dict(leading or {})
    if leading is not None:
        data[ROW_ID] = raw["row_id"]
        index = None
    else:
        index = pd.RangeIndex(len(raw["row_id"]), name=ROW_ID)
    parent_ids = raw["parent_row_id"]
    missing_parents = parent_ids < 0
    if not missing_parents.all():
        data[PARENT_TABLE] = pd.Categorical.from_codes(
            raw["parent_table_codes"], categories=raw["parent_tables"])
        data[PARENT_ROW_ID] = (pd.arrays.IntegerArray(parent_ids, missing_parents)
                               if missing_parents.any() else parent_ids)
    units, types, fields, invalid = {}, {}, {}, {}
    for field, occurrence, _declared, unit, type_, kind, values, mask, bad in raw["columns"]:
        base = _repeat_name(decode(field), occurrence)
        name, suffix = base, 1
        while name in data or name in IDENTITY:  # a field named like an identity column
            name = _repeat_name(base, suffix)
            suffix += 1
        data[name] = _column_values(kind, values, mask)
        units[name] = decode(unit)
        types[name] = decode(type_)
        fields[name] = (decode(field), occurrence)
        if typed and kind != "text":
            invalid[name] = int(bad)
    frame = pd.DataFrame(data, index=index, copy=False)
    frame.attrs["table"] = decode(raw["name"])
    frame.attrs["units"] = units
    frame.attrs["types"] = types
    frame.attrs["fields"] = fields
    if typed:
        frame.attrs["invalid"] = invalid
    return frame


def _categories(labels, positions):
    """A Categorical of labels[positions], its categories each label once."""
    position_of = {}
    for label in labels:
        position_of.setdefault(label, len(position_of))
    codes = np.array([position_of[label] for label in labels], dtype=np.int32)
    return pd.Categorical.from_codes(codes[positions], categories=list(position_of))


def object_frames(obj, tables, typed):
    texts = obj._texts
    names = [texts.encode(table, "table name") for table in tables]
    raws = _core.object_frames(obj._core, names, bool(typed), texts.codec)
    frames = {}
    for raw in raws:
        frame = frame_from_core(raw, texts, typed)
        frame.attrs["object"] = obj.id
        frames[frame.attrs["table"]] = frame
    return frames


def read_frames(paths, threads=None, typed=False, encoding="cp1252"):
    """Many documents at once: one DataFrame per table name, its rows from
    every business object of every file, in order, with the columns
    ``source`` (the path as given) and ``object`` (the object's ID) first.

    The files are read on ``threads`` threads, one per processor by default.
    An unreadable file raises :class:`kuv.Error` naming it.
    """
    if isinstance(paths, (str, bytes, os.PathLike)):
        paths = [paths]
    sources = [os.fspath(path) for path in paths]
    if threads is None:
        threads = os.cpu_count() or 1
    if not isinstance(threads, int) or threads < 1:
        raise ValueError("kuv: threads must be a whole number of at least 1")
    texts = Texts(encoding)
    raws = _core.read_frames(
        [path_bytes(source) for source in sources], threads, bool(typed), texts.codec
    )
    frames = {}
    for raw in raws:
        pieces = raw["pieces"]
        counts = np.array([piece[3] for piece in pieces], dtype=np.int64)
        files = np.repeat(np.array([piece[0] for piece in pieces], dtype=np.int64), counts)
        ids = [texts.decode(piece[2]) for piece in pieces]
        leading = {SOURCE: _categories(sources, files),
                   OBJECT: _categories(ids, np.repeat(np.arange(len(ids)), counts))}
        frame = frame_from_core(raw, texts, typed, leading)
        frames[frame.attrs["table"]] = frame
    return frames


def _field_of_column(obj, table, column, known):
    """The (field, occurrence) that a column holds."""
    if column in known:
        return known[column]
    name = column if isinstance(column, (str, bytes)) else str(column)
    if obj._field_declared(table, name):
        return name, 0
    match = _REPEAT.fullmatch(name) if isinstance(name, str) else None
    if match and obj._field_declared(table, match.group(1)):
        return match.group(1), int(match.group(2))
    return name, 0


def _column_array(series):
    dtype = series.dtype
    if isinstance(dtype, np.dtype) and (dtype.kind in "fiub" or dtype == np.dtype("M8[ns]")):
        return series.to_numpy()
    return series.to_numpy(dtype=object)


def _parent_row_ids(frame, parent):
    if PARENT_ROW_ID not in frame.columns:
        return None
    try:
        ids = pd.array(frame[PARENT_ROW_ID], dtype="Int64")
    except (TypeError, ValueError):
        raise ValueError("kuv: parent_row_id must hold whole numbers") from None
    if (ids < 0).any():
        raise ValueError("kuv: parent_row_id may not be negative")
    if not parent and ids.isna().all():
        return None
    return ids.to_numpy(dtype="int64", na_value=-1)


def add_frame(obj, table, frame):
    if not isinstance(frame, pd.DataFrame):
        raise TypeError(f"kuv: add_frame takes a DataFrame, not {type(frame).__name__}")
    texts = obj._texts
    table_bytes = texts.encode(table, "table name")
    parent = obj._core.parent_of(table_bytes)
    parent_name = "" if parent is None else texts.decode(parent)
    if parent_name and PARENT_TABLE in frame.columns:
        named = frame[PARENT_TABLE]
        if (named.notna() & (named != parent_name)).any():
            raise ValueError(
                f"kuv: the frame's parent_table names another table than '{parent_name}', "
                f"the parent of '{table}'"
            )
    known = frame.attrs.get("fields", {}) if frame.attrs.get("table") == table else {}
    skipped = set(IDENTITY) | {SOURCE, OBJECT}
    columns, seen = [], {}
    for column in frame.columns:
        if column in skipped and column not in known and not obj._field_declared(table, column):
            continue
        field, occurrence = _field_of_column(obj, table, column, known)
        if (field, occurrence) in seen:
            raise ValueError(
                f"kuv: columns '{seen[(field, occurrence)]}' and '{column}' hold the same field"
            )
        seen[(field, occurrence)] = column
        columns.append(
            (
                texts.encode(field, f"column '{column}'"),
                occurrence,
                str(column),
                _column_array(frame[column]),
            )
        )
    return _core.object_add_frame(
        obj._core,
        table_bytes,
        str(table),
        columns,
        _parent_row_ids(frame, parent_name),
        parent_name,
        len(frame),
        (pd.NA, pd.NaT),
        texts.codec,
    )
