"""kuv: well-data interchange documents, and their tables as pandas DataFrames.

    import kuv
    with kuv.open("casing.kuv") as doc:
        casing = doc.objects["CasingStrings"].to_frame("Casing", typed=True)

Reading, saving and building frames run without the GIL, so threads read
documents in parallel; :func:`read_frames` does it for many files at once,
and ``kuv.dask.read_table`` on a dask cluster. ``kuv.plot.tracks(frame)``
draws a frame's log tracks with matplotlib. Only those two modules need
dask and matplotlib: the package itself imports without them.
"""

from __future__ import annotations

from types import ModuleType
from typing import TYPE_CHECKING

from ._dates import format_date, parse_date
from ._definitions import Definitions, FieldDefinition, TableDefinition
from ._diff import diff
from ._document import BusinessObject, Document, Objects, ReadBackProblem, open
from ._errors import Error, ErrorCode, Refusal
from ._frames import read_frames
from ._sqlite import to_sqlite
from ._template import Template
from ._tree import Row, Table, Value
from ._version import __version__

if TYPE_CHECKING:
    from . import dask, plot

__all__ = [
    "BusinessObject",
    "Definitions",
    "Document",
    "Error",
    "ErrorCode",
    "FieldDefinition",
    "Objects",
    "ReadBackProblem",
    "Refusal",
    "Row",
    "Table",
    "TableDefinition",
    "Template",
    "Value",
    "__version__",
    "diff",
    "format_date",
    "open",
    "parse_date",
    "read_frames",
    "to_sqlite",
]


def __getattr__(name: str) -> ModuleType:
    # kuv.plot and kuv.dask are imported on first use, so that the package
    # itself needs neither matplotlib nor dask.
    if name in ("plot", "dask"):
        import importlib

        return importlib.import_module(f".{name}", __name__)
    raise AttributeError(f"module 'kuv' has no attribute {name!r}")
