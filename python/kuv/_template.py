"""Templates (Standard.kvt): the data description of every kind of object."""

from __future__ import annotations

import os
from typing import List, Optional

from . import _core
from ._definitions import Definitions, definitions_from
from ._text import PathLike, Texts, path_bytes


class Template:
    """A template read from path and checked as the library attaches one
    (its version must be 3.61 or higher); :class:`kuv.Error` otherwise.

    New objects take their definitions from it:
    ``doc.add_object(..., template=template)``.
    """

    def __init__(self, path: PathLike, *, encoding: Optional[str] = "cp1252") -> None:
        self._texts = Texts(encoding)
        self._core = _core.Template.open(path_bytes(path))

    @classmethod
    def registered(cls, *, encoding: Optional[str] = "cp1252") -> Optional[Template]:
        """The template registered for the C interface; None when there is none."""
        path = _core.Template.registered_path()
        return None if path is None else cls(os.fsdecode(path), encoding=encoding)

    @property
    def path(self) -> str:
        return os.fsdecode(self._core.path())

    @property
    def version(self) -> str:
        return self._texts.decode(self._core.version())

    @property
    def ids(self) -> List[str]:
        """The IDs of the kinds of object it describes."""
        return [self._texts.decode(id_) for id_ in self._core.object_ids()]

    def __contains__(self, id_: object) -> bool:
        return self._core.definitions(self._texts.encode(id_, "ID")) is not None

    def definitions(self, id_: str) -> Definitions:
        """The definitions a new object with this ID takes; KeyError when none."""
        found = self._core.definitions(self._texts.encode(id_, "ID"))
        if found is None:
            raise KeyError(id_)
        return definitions_from(self._texts, *found)

    def __repr__(self) -> str:
        return f"<kuv.Template {self.path!r}, version {self.version!r}, {len(self.ids)} kinds>"
