"""Tables as pandas DataFrames, and DataFrames written back as rows.

A frame holds every row of one table, wherever it nests, one column per
field. Its index, ``row_id``, is the row's position among the rows of that
table in document order (0, 1, 2..., unchanged when rows are added to other
tables). Where rows are nested, two more columns name the row that holds
each row's table node: ``parent_table`` and ``parent_row_id`` (that row's
``row_id``). A child frame therefore joins its parent with
``child.merge(parent, left_on="parent_row_id", right_on="row_id")``.
"""

from __future__ import annotations

import numbers
import os
import re
from typing import (TYPE_CHECKING, Any, Dict, Iterable, List, Mapping, Optional, Sequence, Tuple,
                    Union)

import numpy as np
import pandas as pd

from . import _core
from ._text import PathLike, Texts, path_bytes

if TYPE_CHECKING:
    from ._document import BusinessObject

# What na_values takes, as pandas.read_csv does: a text or number, several,
# or a dict of them by column.
NaValue = Union[str, bytes, int, float]
NaValues = Union[None, NaValue, Iterable[NaValue], Mapping[str, Union[NaValue, Iterable[NaValue]]]]

ROW_ID = "row_id"
PARENT_TABLE = "parent_table"
PARENT_ROW_ID = "parent_row_id"
IDENTITY = (ROW_ID, PARENT_TABLE, PARENT_ROW_ID)
SOURCE = "source"
OBJECT = "object"

_REPEAT = re.compile(r"(.+)\.(\d+)")


def _repeat_name(name: Any, occurrence: int) -> Any:
    if occurrence == 0:
        return name
    if isinstance(name, bytes):
        return name + b"." + str(occurrence).encode()
    return f"{name}.{occurrence}"


def _column_values(kind: str, values: Any, mask: Any) -> Any:
    if kind == "integer":
        return pd.arrays.IntegerArray(values, mask)
    if kind == "boolean":
        return pd.arrays.BooleanArray(values, mask)
    return values


def frame_from_core(raw: Dict[str, Any], texts: Texts, typed: bool,
                    leading: Optional[Dict[str, Any]] = None) -> pd.DataFrame:
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
    units: Dict[str, str] = {}
    types: Dict[str, str] = {}
    fields: Dict[str, Tuple[str, int]] = {}
    invalid: Dict[str, int] = {}
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


def _categories(labels: Sequence[Any], positions: Any) -> pd.Categorical:
    """A Categorical of labels[positions], its categories each label once."""
    position_of: Dict[Any, int] = {}
    for label in labels:
        position_of.setdefault(label, len(position_of))
    codes = np.array([position_of[label] for label in labels], dtype=np.int32)
    return pd.Categorical.from_codes(codes[positions], categories=list(position_of))


def _missing_texts(value: Any, texts: Texts, into: Tuple[List[bytes], List[float]]) -> None:
    if isinstance(value, (str, bytes)):
        into[0].append(texts.encode(value, "na_values"))
    elif isinstance(value, numbers.Real) and not isinstance(value, bool):
        number = float(value)
        into[1].append(number)
        # In text columns a number stands for its texts, as read_csv has it:
        # -999.25 for "-999.25", 0 for "0" and "0.0".
        forms = [repr(number) if isinstance(value, float) else str(int(value))]
        if number.is_integer():
            forms += [str(int(number)), repr(number)]
        into[0].extend(form.encode("ascii") for form in forms)
    else:
        raise TypeError("kuv: na_values holds texts and numbers, "
                        f"not {type(value).__name__}")


def _missing_values(values: Any, texts: Texts) -> Tuple[List[bytes], List[float]]:
    found: Tuple[List[bytes], List[float]] = ([], [])
    if isinstance(values, (str, bytes, numbers.Real)):
        values = [values]
    for value in values:
        _missing_texts(value, texts, found)
    return found


def missing_rules(na_values: NaValues, texts: Texts) -> Optional[Tuple[Any, ...]]:
    """na_values as _core takes them: None, or (texts, numbers, fields),
    fields as (field, occurrence or -1, texts, numbers). A dict's keys are
    columns as frames name them: a field, or "GR.1" for the column of a
    field's second value in a row."""
    if na_values is None:
        return None
    if not isinstance(na_values, Mapping):
        return (*_missing_values(na_values, texts), [])
    fields: List[Tuple[bytes, int, List[bytes], List[float]]] = []
    for column, values in na_values.items():
        found = _missing_values(values, texts)
        name = str(column)
        fields.append((texts.encode(name, "na_values column"), -1, *found))
        match = _REPEAT.fullmatch(name)
        if match:
            fields.append((texts.encode(match.group(1), "na_values column"),
                           int(match.group(2)), *found))
    return ([], [], fields)


def object_frames(obj: BusinessObject, tables: List[str], typed: bool,
                  na_values: NaValues = None) -> Dict[str, pd.DataFrame]:
    texts = obj._texts
    names = [texts.encode(table, "table name") for table in tables]
    raws = _core.object_frames(obj._core, names, bool(typed), missing_rules(na_values, texts),
                               texts.codec)
    frames = {}
    for raw in raws:
        frame = frame_from_core(raw, texts, typed)
        frame.attrs["object"] = obj.id
        frames[frame.attrs["table"]] = frame
    return frames


def read_frames(paths: Union[PathLike, Iterable[PathLike]], threads: Optional[int] = None,
                typed: bool = False, encoding: Optional[str] = "cp1252",
                na_values: NaValues = None) -> Dict[str, pd.DataFrame]:
    """Many documents at once: one DataFrame per table name, its rows from
    every business object of every file, in order, with the columns
    ``source`` (the path as given) and ``object`` (the object's ID) first.

    The files are read on ``threads`` threads, one per processor by default.
    ``typed`` and ``na_values`` are to_frame's. An unreadable file raises
    :class:`kuv.Error` naming it (for one that cannot be opened, also the
    matching FileNotFoundError, PermissionError or IsADirectoryError).
    """
    if isinstance(paths, (str, bytes)) or isinstance(paths, os.PathLike):
        paths = [paths]
    if threads is None:
        threads = os.cpu_count() or 1
    if not isinstance(threads, int) or threads < 1:
        raise ValueError("kuv: threads must be a whole number of at least 1")
    return frames_of_files([os.fspath(path) for path in paths], threads, typed, Texts(encoding),
                           na_values)


def frames_of_files(sources: Sequence[Union[str, bytes]], threads: int, typed: bool, texts: Texts,
                    na_values: NaValues, only: Sequence[str] = ()) -> Dict[str, pd.DataFrame]:
    """read_frames of the tables named in only (all when it is empty)."""
    raws = _core.read_frames(
        [path_bytes(source) for source in sources], threads, bool(typed),
        missing_rules(na_values, texts), texts.codec,
        [texts.encode(table, "table name") for table in only]
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


def _field_of_column(obj: BusinessObject, table: str, column: Any,
                     known: Mapping[Any, Tuple[Any, int]]) -> Tuple[Any, int]:
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


def _column_array(series: pd.Series) -> Any:
    dtype = series.dtype
    if isinstance(dtype, np.dtype) and (dtype.kind in "fiub" or dtype == np.dtype("M8[ns]")):
        return series.to_numpy()
    return series.to_numpy(dtype=object)


def _parent_row_ids(frame: pd.DataFrame, parent: str) -> Any:
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


def add_frame(obj: BusinessObject, table: str, frame: pd.DataFrame) -> int:
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
    columns: List[Tuple[bytes, int, str, Any]] = []
    seen: Dict[Tuple[Any, int], Any] = {}
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
