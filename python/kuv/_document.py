"""Documents and their business objects."""

from __future__ import annotations

import io
import os
from typing import (TYPE_CHECKING, Any, Dict, Iterator, List, NamedTuple, Optional, Protocol,
                    Union, overload)

from . import _core, _frames, _html
from ._dates import format_date, parse_date
from ._definitions import Definitions, FieldDefinition, definitions_from
from ._text import PathLike, Texts, path_bytes
from ._tree import Table, ValueLike

if TYPE_CHECKING:
    import datetime

    import pandas as pd

    from ._template import Template


class BinaryReader(Protocol):
    """A binary file object to read a document from: anything with ``read``
    that gives bytes (an open file, io.BytesIO, an fsspec file)."""

    def read(self) -> bytes: ...


class BinaryWriter(Protocol):
    """A binary file object to save a document into."""

    def write(self, data: bytes, /) -> Any: ...


DocumentSource = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]", bytearray, memoryview,
                       BinaryReader]
SaveTarget = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]", BinaryWriter]


class ReadBackProblem(NamedTuple):
    """Where a document, once saved, would first read back other than it is
    in memory, and why; every save refuses such a document."""

    object: str  # the business object's ID
    table: str  # the innermost table, "" above the tables
    row: int  # 1-based within that table; 0 for none
    field: Optional[str]
    where: str  # all of that, as a message says it
    why: str


def _problem(raw: Optional[Any], texts: Texts) -> Optional[ReadBackProblem]:
    if raw is None:
        return None
    object_id, table, row, field, where, why = raw
    decode = texts.decode
    return ReadBackProblem(decode(object_id), decode(table), int(row),
                           None if field is None else decode(field), decode(where), decode(why))


def _template_core(template: Optional[Template]) -> Optional[_core.Template]:
    if template is None:
        return None
    from ._template import Template

    if not isinstance(template, Template):
        raise TypeError("kuv: template must be a kuv.Template")
    return template._core


def _binary_mode_error(what: str, mode: str) -> TypeError:
    return TypeError(f"kuv: {what} is open in text mode; documents are bytes: "
                     f"open it in binary mode ('{mode}')")


class Document:
    """A document in memory: business objects in order.

    ``kuv.Document()`` is a new, empty one; :func:`kuv.open` reads one.
    Texts are decoded with ``encoding`` (code page 1252 by default; None
    gives bytes). Use it in a ``with`` block, or call :meth:`close`, to let
    its memory go at once.
    """

    def __init__(self, *, encoding: Optional[str] = "cp1252",
                 _core_document: Optional[_core.Document] = None) -> None:
        self._texts = Texts(encoding)
        self._core = _core_document if _core_document is not None else _core.Document()

    @property
    def encoding(self) -> Optional[str]:
        return self._texts.encoding

    @property
    def version(self) -> str:
        """The root tag's version text as read ("2.0'" for a document this
        library wrote); "" for a new document."""
        return self._texts.decode(self._core.version())

    @property
    def complete(self) -> bool:
        """Whether the document ended with its closing root tag (reading
        takes a file cut after any closing tag); True for a new document."""
        return self._core.complete()

    @property
    def objects(self) -> Objects:
        return Objects(self)

    def add_object(self, id: str, author: str, version: str, well_id: str, *,
                   template: Optional[Template] = None) -> BusinessObject:
        """Appends a business object, dated now, with the definitions the
        template gives its ID; :class:`kuv.Refusal` when the ID is taken."""
        encode = self._texts.encode
        made = self._core.create_object(
            encode(id, "ID"),
            encode(author, "Author"),
            encode(version, "Version"),
            encode(well_id, "WellID"),
            _template_core(template),
        )
        return BusinessObject(made, self._texts)

    def remove(self, obj: Union[BusinessObject, str]) -> None:
        """Removes a business object (or the first with this ID) and
        everything it holds."""
        if not isinstance(obj, BusinessObject):
            obj = self.objects[obj]
        if not self._core.remove(obj._core):
            raise ValueError("kuv: the object is not one of this document's")

    def save(self, target: SaveTarget) -> None:
        """Writes the document to a path or into a binary file object.

        A path is written as the library saves: the file is replaced only
        once the new one is complete (through a symbolic link, the file it
        names), keeping its permissions. A file object gets the bytes of
        :meth:`to_bytes`. :class:`kuv.Error` when the document would not
        read back as it is (see :meth:`find_read_back_problem`) or the file
        cannot be written, with the file as it was.
        """
        if isinstance(target, (str, bytes)) or isinstance(target, os.PathLike):
            self._core.save(path_bytes(target))
            return
        if not hasattr(target, "write"):
            raise TypeError("kuv: save takes a path or a binary file object, "
                            f"not {type(target).__name__}")
        if isinstance(target, io.TextIOBase):
            raise _binary_mode_error("the file object", "wb")
        data = self.to_bytes()
        try:
            target.write(data)
        except TypeError as error:
            raise _binary_mode_error("the file object", "wb") from error

    def to_bytes(self) -> bytes:
        """The bytes that save writes; :class:`kuv.Error` when the document
        would not read back as it is."""
        return self._core.serialize()

    def find_read_back_problem(self) -> Optional[ReadBackProblem]:
        """Where the document, once saved, would first read back other than
        it is, and why (a leniently read tag, say); None when it reads
        back as it is."""
        return _problem(self._core.find_read_back_problem(), self._texts)

    def close(self) -> None:
        """Frees the document; using it or its objects afterwards raises
        ValueError."""
        self._core.close()

    @property
    def closed(self) -> bool:
        return self._core.closed()

    def __enter__(self) -> Document:
        return self

    def __exit__(self, *exc_info: object) -> None:
        self.close()

    def __len__(self) -> int:
        return self._core.size()

    def __iter__(self) -> Iterator[BusinessObject]:
        return iter(self.objects)

    def __repr__(self) -> str:
        if self.closed:
            return "<kuv.Document closed>"
        return f"<kuv.Document {len(self)} objects>"

    def _repr_html_(self) -> str:
        if self.closed:
            return "<p><b>kuv.Document</b> (closed)</p>"
        return _html.document_html(self)


class Objects:
    """The business objects of a document, by position or by ID."""

    def __init__(self, document: Document) -> None:
        self._document = document

    def __len__(self) -> int:
        return self._document._core.size()

    def _at(self, index: int) -> BusinessObject:
        return BusinessObject(self._document._core.object(index), self._document._texts)

    @overload
    def __getitem__(self, key: slice) -> List[BusinessObject]: ...

    @overload
    def __getitem__(self, key: Union[int, str]) -> BusinessObject: ...

    def __getitem__(self, key: Union[int, str, slice]) -> Union[BusinessObject,
                                                                List[BusinessObject]]:
        if isinstance(key, slice):
            return [self._at(index) for index in range(*key.indices(len(self)))]
        if isinstance(key, int):
            size = len(self)
            if not -size <= key < size:
                raise IndexError("kuv: object index out of range")
            return self._at(key % size)
        found = self.get(key)
        if found is None:
            raise KeyError(key)
        return found

    def get(self, id: str, default: Optional[BusinessObject] = None) -> Optional[BusinessObject]:
        """The first object with exactly this ID."""
        found = self._document._core.find(self._document._texts.encode(id, "ID"))
        return default if found is None else BusinessObject(found, self._document._texts)

    def __contains__(self, key: object) -> bool:
        if isinstance(key, BusinessObject):
            return any(key == obj for obj in self)
        return self.get(key) is not None  # type: ignore[arg-type]

    def __iter__(self) -> Iterator[BusinessObject]:
        for index in range(len(self)):
            yield self._at(index)

    @property
    def ids(self) -> List[str]:
        return [obj.id for obj in self]

    def __repr__(self) -> str:
        return f"<kuv.Objects {self.ids!r}>"


class _Header:
    """One of the five header texts of a business object, settable."""

    def __init__(self, name: str, doc: str) -> None:
        self._name = name
        self.__doc__ = doc

    @overload
    def __get__(self, obj: None, owner: type) -> _Header: ...

    @overload
    def __get__(self, obj: BusinessObject, owner: type) -> str: ...

    def __get__(self, obj: Optional[BusinessObject], owner: type) -> Union[_Header, str]:
        if obj is None:
            return self
        return obj._texts.decode(obj._core.header(self._name))

    def __set__(self, obj: BusinessObject, text: str) -> None:
        obj._core.set_header(self._name, obj._texts.encode(text, self._name))


class BusinessObject:
    """A business object: five header texts, its definitions and its tree of
    tables, rows and values; a handle into its document."""

    id = _Header("id", "The object's ID.")
    author = _Header("author", "Its Author.")
    version = _Header("version", "Its Version text.")
    well_id = _Header("well_id", "Its WellID.")
    date = _Header("date", 'Its Date text, as "YYYYMMDDTHH:MM:00000".')

    def __init__(self, core: _core.Object, texts: Texts) -> None:
        self._core = core
        self._texts = texts

    @property
    def date_time(self) -> Optional[datetime.datetime]:
        """The Date as a datetime; None when the text is not a date."""
        return parse_date(self._core.header("date"))

    @date_time.setter
    def date_time(self, moment: Union[datetime.date, datetime.datetime]) -> None:
        self._core.set_header("date", format_date(moment).encode("ascii"))

    @property
    def definitions(self) -> Definitions:
        """The declared tables and fields, in the order a saved document lists them."""
        return definitions_from(
            self._texts, self._core.table_definitions(), self._core.field_definitions()
        )

    def define_table(self, table: str, parent: str = "") -> None:
        """Declares a table; :class:`kuv.Refusal` when the parent is not
        declared or a name cannot be stored."""
        encode = self._texts.encode
        self._core.define_table(encode(table, "table name"), encode(parent, "parent"))

    def define_field(self, table: str, field: str, unit: str = "", type: str = "string") -> None:
        """Declares a field; :class:`kuv.Refusal` when it is declared already,
        is named like a table, or a text cannot be stored."""
        encode = self._texts.encode
        self._core.define_field(
            encode(table, "table name"), encode(field, "field name"), encode(unit, "unit"),
            encode(type, "type"),
        )

    def field_definition(self, table: str, field: str) -> Optional[FieldDefinition]:
        """The field's definition; None when it is not declared."""
        encode = self._texts.encode
        found = self._core.field_definition(encode(table, "table name"), encode(field, "field"))
        return None if found is None else FieldDefinition(*map(self._texts.decode, found))

    def _field_declared(self, table: Any, field: Any) -> bool:
        try:
            return self.field_definition(table, field) is not None
        except (TypeError, ValueError):
            return False

    @property
    def tables(self) -> List[Table]:
        """The top-level tables."""
        return [Table(table, self._texts) for table in self._core.tables()]

    def remove_table(self, table: Union[int, Table]) -> None:
        """Removes a top-level table (or the one at an index) with all it
        holds; handles into it raise ValueError afterwards."""
        tables = self.tables
        if isinstance(table, int):
            if not -len(tables) <= table < len(tables):
                raise IndexError("kuv: table index out of range")
            self._core.remove_table(table % len(tables))
            return
        for index, candidate in enumerate(tables):
            if candidate == table:
                self._core.remove_table(index)
                return
        raise ValueError("kuv: the table is not a top-level table of this object "
                         "(a child table is removed through its row: row.remove_table)")

    def to_frame(self, table: str, *, typed: bool = False,
                 na_values: _frames.NaValues = None) -> pd.DataFrame:
        """Every row of the table, wherever it nests, as a DataFrame.

        One column per field, texts by default. With ``typed=True`` each
        field is converted by its declared type (numbers, integers,
        booleans, dates), by the library's grammar of value texts; a text
        that is no value of its kind, or a date beyond what datetime64[ns]
        holds (years 1677 to 2262), becomes missing and is counted in
        ``attrs["invalid"]``. ``na_values`` names further values that
        stand for "no value", as ``pandas.read_csv`` takes them: texts, or
        numbers compared after conversion in typed columns (``-999.25``),
        for every column, or by column in a dict. The index, ``row_id``,
        numbers the rows of the table; nested rows also have
        ``parent_table`` and ``parent_row_id``, so that a child table joins
        its parent with ``child.merge(parent, left_on="parent_row_id",
        right_on="row_id")``. ``attrs`` also holds ``units`` and ``types``.
        KeyError when the object has no such table and declares none.
        """
        frames = _frames.object_frames(self, [table], typed, na_values)
        key = self._texts.decode(self._texts.encode(table, "table name"))
        if key not in frames:
            raise KeyError(f"object {self.id!r} has no table {table!r}")
        return frames[key]

    def frames(self, *, typed: bool = False,
               na_values: _frames.NaValues = None) -> Dict[str, pd.DataFrame]:
        """Every table that has rows, as to_frame gives it, by name."""
        return _frames.object_frames(self, [], typed, na_values)

    def put(self, table: str, field: str, value: ValueLike) -> None:
        """Puts one value as the library does: values come in document order,
        tables and rows open by the declarations, and a repeat of a row's
        first field starts the next row. A text goes in as it is; a number,
        boolean or date only into a field whose declared type takes it.
        :class:`kuv.Refusal` (a ValueError), changing nothing, when the
        value has no place, its place could not be read back, or its field
        does not take it, with the library's reason."""
        encode = self._texts.encode
        if isinstance(value, str):
            value = encode(value, f"value of {field!r}")
        self._core.put(encode(table, "table name"), encode(field, "field name"), value,
                       self._texts.codec)

    def add_frame(self, table: str, frame: pd.DataFrame) -> int:
        """Writes each row of a DataFrame as a row of the table and returns
        how many.

        Columns are fields (as to_frame names them); ``row_id``, ``source``
        and ``object`` are ignored. The rows of a child table go under the
        rows of its parent table whose ``row_id`` their ``parent_row_id``
        names; top-level rows join the object's table of that name. Every
        row needs a value for the field that begins the table's rows.
        Typed columns (numbers, booleans, dates) go only into fields whose
        declared type takes them. :class:`kuv.Refusal` (a ValueError),
        writing nothing, for a frame that cannot be placed or after which
        the object would not read back as it is.
        """
        return _frames.add_frame(self, table, frame)

    def find_read_back_problem(self) -> Optional[ReadBackProblem]:
        """The problem a document holding only this object would have when
        saved (see :meth:`Document.find_read_back_problem`); None for none."""
        return _problem(self._core.find_read_back_problem(), self._texts)

    def reset_put_position(self) -> None:
        """The next put starts at the top level again."""
        self._core.reset_put_position()

    def clear_tables(self) -> None:
        """Deletes every table; the next put starts at the top level."""
        self._core.clear_tables()

    def __eq__(self, other: object) -> bool:
        return isinstance(other, BusinessObject) and self._core.same_as(other._core)

    __hash__ = None  # type: ignore[assignment]

    def __repr__(self) -> str:
        return f"<kuv.BusinessObject {self.id!r} well {self.well_id!r}, {self.date}>"

    def _repr_html_(self) -> str:
        return _html.object_html(self)


def _looks_like_document(data: bytes) -> bool:
    """Whether bytes given to open are a document rather than a path: a
    document begins with its first tag (after blanks or a UTF-8 byte order
    mark), a path hardly ever does."""
    start = data[3:] if data.startswith(b"\xef\xbb\xbf") else data
    start = start.lstrip(b" \t\r\n")
    return not start or start.startswith(b"<") or b"\0" in data


def open(source: DocumentSource, *, encoding: Optional[str] = "cp1252") -> Document:
    """Reads a document.

    ``source`` is a path (str, os.PathLike, or bytes that do not begin with
    a tag), the document's bytes (bytes, bytearray or memoryview), or a
    binary file object (anything with ``read``: an open file, io.BytesIO,
    an fsspec file). :class:`kuv.Error` when it cannot be read; for a file
    that cannot be opened, also the matching FileNotFoundError,
    PermissionError or IsADirectoryError. A file object in text mode is
    refused (TypeError): open it in binary mode.
    """
    if isinstance(source, (bytearray, memoryview)) or (
            isinstance(source, bytes) and _looks_like_document(source)):
        core = _core.Document.parse(source)
    elif isinstance(source, (str, bytes)) or isinstance(source, os.PathLike):
        core = _core.Document.open(path_bytes(source))
    elif hasattr(source, "read"):
        if isinstance(source, io.TextIOBase):
            raise _binary_mode_error("the file object", "rb")
        data = source.read()
        if isinstance(data, str):
            raise _binary_mode_error("the file object", "rb")
        if not isinstance(data, (bytes, bytearray, memoryview)):
            raise TypeError(f"kuv: the file object's read gave {type(data).__name__}, not bytes")
        core = _core.Document.parse(data)
    else:
        raise TypeError("kuv: open takes a path, a document's bytes or a binary file object, "
                        f"not {type(source).__name__}")
    return Document(encoding=encoding, _core_document=core)

