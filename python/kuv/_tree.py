"""The tree of a business object: tables, their rows, the rows' values.

Tables and rows are handles into their document. They can be changed in
place: a value's text set, a value, a row or a table removed. The library
refuses, changing nothing, what a saved document could not give back (a
row whose first value would go, a text a document cannot hold) with
:class:`kuv.Refusal`, and a handle whose node was removed raises
ValueError when it is used.
"""

from __future__ import annotations

from typing import Any, Iterator, List, NamedTuple, Optional, Union

from . import _core
from ._text import Texts

# What a value may be set to: a text as it is, or a typed value (a number,
# a boolean, a date), which only a field whose declared type takes it gets.
ValueLike = Any


class Value(NamedTuple):
    field: str
    text: str


def _index_of(item: Any, items: List[Any], what: str) -> int:
    if isinstance(item, int):
        if not -len(items) <= item < len(items):
            raise IndexError(f"kuv: {what} index out of range")
        return item % len(items)
    for index, candidate in enumerate(items):
        if candidate == item:
            return index
    raise ValueError(f"kuv: the {what} is not here")


class Table:
    """A table node: a name and rows; a handle into its document."""

    def __init__(self, core: _core.Table, texts: Texts) -> None:
        self._core = core
        self._texts = texts

    @property
    def name(self) -> str:
        return self._texts.decode(self._core.name())

    @property
    def rows(self) -> List[Row]:
        return [Row(row, self._texts) for row in self._core.rows()]

    @property
    def parent_row(self) -> Optional[Row]:
        """The row whose child tables hold this table; None at the top level."""
        row = self._core.parent_row()
        return None if row is None else Row(row, self._texts)

    def remove_row(self, row: Union[int, Row]) -> None:
        """Removes a row (or the row at an index) with all it holds."""
        self._core.remove_row(_index_of(row, self.rows, "row"))

    def __iter__(self) -> Iterator[Row]:
        return iter(self.rows)

    def __len__(self) -> int:
        return self._core.size()

    def __getitem__(self, index: int) -> Row:
        size = len(self)
        if not -size <= index < size:
            raise IndexError("kuv: row index out of range")
        return Row(self._core.row(index % size), self._texts)

    def __delitem__(self, index: int) -> None:
        self.remove_row(index)

    def __eq__(self, other: object) -> bool:
        return isinstance(other, Table) and self._core.same_as(other._core)

    __hash__ = None  # type: ignore[assignment]

    def __repr__(self) -> str:
        return f"<kuv.Table {self.name!r}, {len(self)} rows>"


class Row:
    """A row: values, then child tables; a handle into its document.

    ``row["GR"]`` is the text of the row's first value of GR;
    ``row["GR"] = "110.5"`` sets it (adding the value when the row has
    none), ``del row["GR"]`` removes it.
    """

    def __init__(self, core: _core.Row, texts: Texts) -> None:
        self._core = core
        self._texts = texts

    @property
    def values(self) -> List[Value]:
        decode = self._texts.decode
        return [Value(decode(field), decode(text)) for field, text in self._core.values()]

    @property
    def tables(self) -> List[Table]:
        """The child tables of the row."""
        return [Table(table, self._texts) for table in self._core.child_tables()]

    @property
    def table(self) -> Table:
        return Table(self._core.table(), self._texts)

    def get(self, field: str, default: Optional[str] = None) -> Optional[str]:
        """The text of the row's first value of field."""
        for value in self.values:
            if value.field == field:
                return value.text
        return default

    def _position(self, field: str) -> Optional[int]:
        for index, value in enumerate(self.values):
            if value.field == field:
                return index
        return None

    def set_value(self, index: int, value: ValueLike) -> None:
        """Sets the text of the value at index (its place in ``values``).

        A text goes in as it is; a number, boolean or date only into a
        field whose declared type takes it. :class:`kuv.Refusal` for a
        text a document cannot hold or a value the field does not take.
        """
        self._core.set_value(self._at(index), value, self._texts.codec)

    def add_value(self, field: str, value: ValueLike) -> None:
        """Appends a value; :class:`kuv.Refusal` where it could not be read
        back in its place."""
        self._core.add_value(self._texts.encode(field, "field name"), value, self._texts.codec)

    def remove_value(self, index: int) -> None:
        """Removes the value at index; :class:`kuv.Refusal` for the first
        value of a row that holds others (the row would be read back as
        part of the row before it)."""
        self._core.remove_value(self._at(index))

    def remove_table(self, table: Union[int, Table]) -> None:
        """Removes a child table (or the one at an index) with all it holds."""
        self._core.remove_child_table(_index_of(table, self.tables, "table"))

    def _at(self, index: int) -> int:
        size = len(self._core.values())
        if not -size <= index < size:
            raise IndexError("kuv: value index out of range")
        return index % size

    def __getitem__(self, field: str) -> str:
        found = self.get(field)
        if found is None:
            raise KeyError(field)
        return found

    def __setitem__(self, field: str, value: ValueLike) -> None:
        index = self._position(field)
        if index is None:
            self.add_value(field, value)
        else:
            self.set_value(index, value)

    def __delitem__(self, field: str) -> None:
        index = self._position(field)
        if index is None:
            raise KeyError(field)
        self.remove_value(index)

    def __contains__(self, field: object) -> bool:
        return any(value.field == field for value in self.values)

    def __eq__(self, other: object) -> bool:
        return isinstance(other, Row) and self._core.same_as(other._core)

    __hash__ = None  # type: ignore[assignment]

    def __repr__(self) -> str:
        values = self.values
        shown = ", ".join(f"{value.field}={value.text!r}" for value in values[:4])
        return f"<kuv.Row {shown}{', ...' if len(values) > 4 else ''}>"
