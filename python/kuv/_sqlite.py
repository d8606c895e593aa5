"""Documents into an SQLite database, through the library's kuv::sqlite."""

from __future__ import annotations

import os
import sqlite3
from typing import Iterable, Optional, Union

from . import _core
from ._errors import Error, Refusal
from ._text import PathLike, path_bytes


def to_sqlite(paths: Union[PathLike, Iterable[PathLike]], db: PathLike, *,
              threads: Optional[int] = None, encoding: str = "cp1252") -> int:
    """Stores each document of ``paths`` in the SQLite database ``db``, as
    ``kuv export --format sqlite`` does: one transaction per document, a
    document already stored under its (absolute) path replaced, the
    database made when missing. Its tables are described in the README;
    :mod:`sqlite3` or pandas' ``read_sql`` query them.

    The files are read on ``threads`` threads (one per processor by
    default); ``encoding`` is cp1252, latin1 or utf-8. Returns how many
    documents were stored. A document that cannot be stored leaves the
    database without it while the others are stored; then the first such
    failure is raised, naming its file (:class:`kuv.Error` for one that does
    not read, :class:`kuv.Refusal` for a text not valid in the encoding).
    A database that cannot be used raises :class:`sqlite3.DatabaseError`
    before anything is read.
    """
    if not hasattr(_core, "to_sqlite"):
        raise RuntimeError("kuv: this kuv was built without SQLite (libsqlite3-dev)")
    listed = [paths] if isinstance(paths, (str, bytes, os.PathLike)) else list(paths)
    sources = [os.fspath(path) for path in listed]
    if threads is None:
        threads = os.cpu_count() or 1
    if isinstance(threads, bool) or not isinstance(threads, int) or threads < 1:
        raise ValueError("kuv: threads must be a whole number of at least 1")
    stored, failures = _core.to_sqlite(
        [path_bytes(source) for source in sources], path_bytes(db), threads, encoding)
    if not failures:
        return stored
    index, kind, code, message = failures[0]
    text = f"{os.fsdecode(sources[index])}: {message}"
    if len(failures) > 1:
        text += f" (and {len(failures) - 1} more documents could not be stored)"
    if kind == "error":
        raise Error(code, text)
    if kind == "refusal":
        raise Refusal(text)
    raise sqlite3.DatabaseError(text)
