"""The tree of a business object: tables, their rows, the rows' values."""

from typing import NamedTuple


class Value(NamedTuple):
    field: str
    text: str


class Table:
    """A table node: a name and rows; a handle into its document."""

    def __init__(self, core, texts):
        self._core = core
        self._texts = texts

    @property
    def name(self):
        return self._texts.decode(self._core.name())

    @property
    def rows(self):
        return [Row(row, self._texts) for row in self._core.rows()]

    @property
    def parent_row(self):
        """The row whose child tables hold this table; None at the top level."""
        row = self._core.parent_row()
        return None if row is None else Row(row, self._texts)

    def __iter__(self):
        return iter(self.rows)

    def __len__(self):
        return len(self._core.rows())

    def __eq__(self, other):
        return isinstance(other, Table) and self._core.same_as(other._core)

    __hash__ = None

    def __repr__(self):
        return f"<kuv.Table {self.name!r}, {len(self)} rows>"


class Row:
    """A row: values, then child tables; a handle into its document."""

    def __init__(self, core, texts):
        self._core = core
        self._texts = texts

    @property
    def values(self):
        decode = self._texts.decode
        return [Value(decode(field), decode(text)) for field, text in self._core.values()]

    @property
    def tables(self):
        """The child tables of the row."""
        return [Table(table, self._texts) for table in self._core.child_tables()]

    @property
    def table(self):
        return Table(self._core.table(), self._texts)

    def get(self, field, default=None):
        """The text of the row's first value of field."""
        for value in self.values:
            if value.field == field:
                return value.text
        return default

    def __getitem__(self, field):
        for value in self.values:
            if value.field == field:
                return value.text
        raise KeyError(field)

    def __eq__(self, other):
        return isinstance(other, Row) and self._core.same_as(other._core)

    __hash__ = None

    def __repr__(self):
        shown = ", ".join(f"{value.field}={value.text!r}" for value in self.values[:4])
        return f"<kuv.Row {shown}{', ...' if len(self.values) > 4 else ''}>"
