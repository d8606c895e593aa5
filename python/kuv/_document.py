"""Documents and their business objects."""

import datetime

from . import _core, _frames
from ._dates import format_date, parse_date
from ._definitions import FieldDefinition, definitions_from
from ._text import Texts, path_bytes
from ._tree import Table


def _template_core(template):
    if template is None:
        return None
    from ._template import Template

    if not isinstance(template, Template):
        raise TypeError("kuv: template must be a kuv.Template")
    return template._core


def _value_text(value):
    """The text of a value given to put."""
    if isinstance(value, (str, bytes)):
        return value
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, int):
        return str(value)
    if isinstance(value, float):
        return repr(value)
    if isinstance(value, (datetime.date, datetime.datetime)):
        return format_date(value)
    raise TypeError(f"kuv: a value must be str, bytes, a number or a date, not {type(value).__name__}")


class Document:
    """A document in memory: business objects in order.

    ``kuv.Document()`` is a new, empty one; :func:`kuv.open` reads one.
    Texts are decoded with ``encoding`` (code page 1252 by default; None
    gives bytes). Use it in a ``with`` block, or call :meth:`close`, to let
    its memory go at once.
    """

    def __init__(self, *, encoding="cp1252", _core_document=None):
        self._texts = Texts(encoding)
        self._core = _core_document if _core_document is not None else _core.Document()

    @property
    def encoding(self):
        return self._texts.encoding

    @property
    def version(self):
        """The root tag's version text as read ("2.0'" for a document this
        library wrote); "" for a new document."""
        return self._texts.decode(self._core.version())

    @property
    def objects(self):
        return Objects(self)

    def add_object(self, id, author, version, well_id, *, template=None):
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

    def remove(self, obj):
        """Removes a business object (or the first with this ID) and
        everything it holds."""
        if not isinstance(obj, BusinessObject):
            obj = self.objects[obj]
        if not self._core.remove(obj._core):
            raise ValueError("kuv: the object is not one of this document's")

    def save(self, path):
        """Writes the document as the library saves: the file is replaced
        only once the new one is complete (through a symbolic link, the file
        it names), keeping its permissions; :class:`kuv.Error` otherwise,
        with the file as it was."""
        self._core.save(path_bytes(path))

    def to_bytes(self):
        """The bytes that save writes."""
        return self._core.serialize()

    def close(self):
        """Frees the document; using it or its objects afterwards raises
        ValueError."""
        self._core.close()

    @property
    def closed(self):
        return self._core.closed()

    def __enter__(self):
        return self

    def __exit__(self, *exc_info):
        self.close()
        return False

    def __len__(self):
        return self._core.size()

    def __iter__(self):
        return iter(self.objects)

    def __repr__(self):
        if self.closed:
            return "<kuv.Document closed>"
        return f"<kuv.Document {len(self)} objects>"


class Objects:
    """The business objects of a document, by position or by ID."""

    def __init__(self, document):
        self._document = document

    def __len__(self):
        return self._document._core.size()

    def _at(self, index):
        return BusinessObject(self._document._core.object(index), self._document._texts)

    def __getitem__(self, key):
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

    def get(self, id, default=None):
        """The first object with exactly this ID."""
        found = self._document._core.find(self._document._texts.encode(id, "ID"))
        return default if found is None else BusinessObject(found, self._document._texts)

    def __contains__(self, key):
        if isinstance(key, BusinessObject):
            return any(key == obj for obj in self)
        return self.get(key) is not None

    def __iter__(self):
        for index in range(len(self)):
            yield self._at(index)

    @property
    def ids(self):
        return [obj.id for obj in self]

    def __repr__(self):
        return f"<kuv.Objects {self.ids!r}>"


def _header(name, doc):
    def get(self):
        return self._texts.decode(self._core.header(name))

    def set(self, text):
        self._core.set_header(name, self._texts.encode(text, name))

    return property(get, set, doc=doc)


class BusinessObject:
    """A business object: five header texts, its definitions and its tree of
    tables, rows and values; a handle into its document."""

    id = _header("id", "The object's ID.")
    author = _header("author", "Its Author.")
    version = _header("version", "Its Version text.")
    well_id = _header("well_id", "Its WellID.")
    date = _header("date", 'Its Date text, as "YYYYMMDDTHH:MM:00000".')

    def __init__(self, core, texts):
        self._core = core
        self._texts = texts

    @property
    def date_time(self):
        """The Date as a datetime; None when the text is not a date."""
        return parse_date(self._core.header("date"))

    @date_time.setter
    def date_time(self, moment):
        self._core.set_header("date", format_date(moment).encode("ascii"))

    @property
    def definitions(self):
        """The declared tables and fields, in the order a saved document lists them."""
        return definitions_from(
            self._texts, self._core.table_definitions(), self._core.field_definitions()
        )

    def define_table(self, table, parent=""):
        """Declares a table; :class:`kuv.Refusal` when the parent is not
        declared or a name cannot be stored."""
        encode = self._texts.encode
        self._core.define_table(encode(table, "table name"), encode(parent, "parent"))

    def define_field(self, table, field, unit="", type="string"):
        """Declares a field; :class:`kuv.Refusal` when it is declared already,
        is named like a table, or a text cannot be stored."""
        encode = self._texts.encode
        self._core.define_field(
            encode(table, "table name"), encode(field, "field name"), encode(unit, "unit"),
            encode(type, "type"),
        )

    def field_definition(self, table, field):
        """The field's definition; None when it is not declared."""
        encode = self._texts.encode
        found = self._core.field_definition(encode(table, "table name"), encode(field, "field"))
        return None if found is None else FieldDefinition(*map(self._texts.decode, found))

    def _field_declared(self, table, field):
        try:
            return self.field_definition(table, field) is not None
        except (TypeError, ValueError):
            return False

    @property
    def tables(self):
        """The top-level tables."""
        return [Table(table, self._texts) for table in self._core.tables()]

    def to_frame(self, table, *, typed=False):
        """Every row of the table, wherever it nests, as a DataFrame.

        One column per field, texts by default. With ``typed=True`` each
        field is converted by its declared type (numbers, integers,
        booleans, dates); a text that does not convert becomes missing and is
        counted in ``attrs["invalid"]``. The index, ``row_id``, numbers the
        rows of the table; nested rows also have ``parent_table`` and
        ``parent_row_id``, so that a child table joins its parent with
        ``child.merge(parent, left_on="parent_row_id", right_on="row_id")``.
        ``attrs`` also holds ``units`` and ``types``.
        KeyError when the object has no such table and declares none.
        """
        frames = _frames.object_frames(self, [table], typed)
        key = self._texts.decode(self._texts.encode(table, "table name"))
        if key not in frames:
            raise KeyError(f"object {self.id!r} has no table {table!r}")
        return frames[key]

    def frames(self, *, typed=False):
        """Every table that has rows, as to_frame gives it, by name."""
        return _frames.object_frames(self, [], typed)

    def put(self, table, field, value):
        """Puts one value as the library does: values come in document order,
        tables and rows open by the declarations, and a repeat of a row's
        first field starts the next row. :class:`kuv.Refusal` (a ValueError),
        changing nothing, when the value has no place or its place could
        not be read back, with the library's reason."""
        encode = self._texts.encode
        self._core.put(
            encode(table, "table name"),
            encode(field, "field name"),
            encode(_value_text(value), f"value of {field!r}"),
        )

    def add_frame(self, table, frame):
        """Writes each row of a DataFrame as a row of the table and returns
        how many.

        Columns are fields (as to_frame names them); ``row_id``, ``source``
        and ``object`` are ignored. The rows of a child table go under the
        rows of its parent table whose ``row_id`` their ``parent_row_id``
        names; top-level rows join the object's table of that name. Every
        row needs a value for the field that begins the table's rows.
        ValueError, writing nothing, for a frame that cannot be placed.
        """
        return _frames.add_frame(self, table, frame)

    def reset_put_position(self):
        """The next put starts at the top level again."""
        self._core.reset_put_position()

    def clear_tables(self):
        """Deletes every table; the next put starts at the top level."""
        self._core.clear_tables()

    def __eq__(self, other):
        return isinstance(other, BusinessObject) and self._core.same_as(other._core)

    __hash__ = None

    def __repr__(self):
        return f"<kuv.BusinessObject {self.id!r} well {self.well_id!r}, {self.date}>"


def open(source, *, encoding="cp1252"):
    """Reads a document from a path (str or os.PathLike) or from its bytes;
    :class:`kuv.Error` when it cannot be read."""
    if isinstance(source, (bytes, bytearray, memoryview)):
        core = _core.Document.parse(bytes(source))
    else:
        core = _core.Document.open(path_bytes(source))
    return Document(encoding=encoding, _core_document=core)
