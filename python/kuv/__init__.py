"""kuv: well-data interchange documents, and their tables as pandas DataFrames.

    import kuv
    with kuv.open("casing.kuv") as doc:
        casing = doc.objects["CasingStrings"].to_frame("Casing", typed=True)

Reading, saving and building frames run without the GIL, so threads read
documents in parallel; :func:`read_frames` does it for many files at once.
``kuv.plot.tracks(frame)`` draws a frame's log tracks with matplotlib, which
only that module needs.
"""

from ._dates import format_date, parse_date
from ._definitions import Definitions, FieldDefinition, TableDefinition
from ._diff import diff
from ._document import BusinessObject, Document, Objects, open
from ._errors import Error, ErrorCode, Refusal
from ._frames import read_frames
from ._sqlite import to_sqlite
from ._template import Template
from ._tree import Row, Table, Value

__all__ = [
    "BusinessObject",
    "Definitions",
    "Document",
    "Error",
    "ErrorCode",
    "FieldDefinition",
    "Objects",
    "Refusal",
    "Row",
    "Table",
    "TableDefinition",
    "Template",
    "Value",
    "diff",
    "format_date",
    "open",
    "parse_date",
    "read_frames",
    "to_sqlite",
]


def __getattr__(name):
    # kuv.plot is imported on first use, so that the package itself does
    # not need matplotlib.
    if name == "plot":
        import importlib

        return importlib.import_module(".plot", __name__)
    raise AttributeError(f"module 'kuv' has no attribute {name!r}")
