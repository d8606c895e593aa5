"""A business object's data description: its tables and fields."""

from __future__ import annotations

from typing import TYPE_CHECKING, Any, Iterable, NamedTuple, Optional, Tuple

if TYPE_CHECKING:
    from ._text import Texts


class TableDefinition(NamedTuple):
    table: str
    parent: str  # "" for a top-level table


class FieldDefinition(NamedTuple):
    table: str
    field: str
    unit: str
    type: str


class Definitions(NamedTuple):
    """The declared tables (with their parents) and fields (with unit and type)."""

    tables: Tuple[TableDefinition, ...]
    fields: Tuple[FieldDefinition, ...]

    def parent_of(self, table: str) -> Optional[str]:
        """The table's declared parent ("" at the top level); None when undeclared."""
        for definition in self.tables:
            if definition.table == table:
                return definition.parent
        return None

    def fields_of(self, table: str) -> Tuple[FieldDefinition, ...]:
        return tuple(field for field in self.fields if field.table == table)


def definitions_from(texts: Texts, tables: Iterable[Tuple[bytes, bytes]],
                     fields: Iterable[Tuple[Any, ...]]) -> Definitions:
    """Definitions from the byte tuples of _core."""
    decode = texts.decode
    return Definitions(
        tuple(TableDefinition(decode(table), decode(parent)) for table, parent in tables),
        tuple(FieldDefinition(*(decode(text) for text in field)) for field in fields),
    )
