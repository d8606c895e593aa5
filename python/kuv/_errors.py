"""The library's errors, as Python exceptions."""

from __future__ import annotations

import enum
import errno
import os
from typing import Any, Optional, Tuple, Type, Union


class ErrorCode(enum.IntEnum):
    """The codes of the library's messages."""

    OPEN_INPUT = 1
    CORRUPTED = 2
    NOT_KUV = 3
    INVALID_TOKEN = 4
    OPEN_FOR_SAVE = 5
    BUSINESS_OBJECT = 6
    TEMPLATE_VERSION = 7


class Error(Exception):
    """A document or template that could not be read, checked or saved.

    ``code`` is the library's code (an :class:`ErrorCode`) and ``message``
    its message, exactly as the C interface hands it out; ``path`` the file
    it concerns, where there is one. A file the system would not open or
    write is also the matching OSError (FileNotFoundError, PermissionError,
    IsADirectoryError), with its ``errno`` and ``filename``.
    """

    def __init__(self, code: int, message: str, path: Optional[str] = None) -> None:
        super().__init__(message)
        self.code = ErrorCode(code)
        self.message = message
        self.path = path

    def __str__(self) -> str:
        return self.message

    def __reduce__(self) -> Tuple[Any, ...]:
        return (type(self), (int(self.code), self.message, self.path))


class _FileError(Error, OSError):
    """An Error that is also an OSError: the system's errno, the library's message."""

    errno_value = 0

    def __init__(self, code: int, message: str, path: Optional[str] = None) -> None:
        OSError.__init__(self, self.errno_value, os.strerror(self.errno_value), path)
        self.code = ErrorCode(code)
        self.message = message
        self.path = path


class _NotFound(_FileError, FileNotFoundError):
    errno_value = errno.ENOENT


class _NoPermission(_FileError, PermissionError):
    errno_value = errno.EACCES


class _IsAFolder(_FileError, IsADirectoryError):
    errno_value = errno.EISDIR


def _reading_problem(path: str) -> Optional[Type[_FileError]]:
    if os.path.isdir(path):
        return _IsAFolder
    try:
        os.close(os.open(path, os.O_RDONLY))
    except FileNotFoundError:
        return _NotFound
    except PermissionError:
        return _NoPermission
    except OSError:
        return None
    return None


def _writing_problem(path: str) -> Optional[Type[_FileError]]:
    if os.path.isdir(path):
        return _IsAFolder
    folder = os.path.dirname(os.path.abspath(path))
    if not os.path.isdir(folder):
        return _NotFound
    if not os.access(folder, os.W_OK | os.X_OK) or (
        os.path.exists(path) and not os.access(path, os.W_OK)
    ):
        return _NoPermission
    return None


def error_for(code: int, message: str, path: Union[bytes, str, None] = None,
              writing: bool = False) -> Error:
    """The exception for an error of the library about path (None for none).

    Where the file could not be opened for reading (code 1) or written
    (code 5, for a document that would read back as it is), the system's
    reason is found at the path itself, and the Error is also the OSError
    of that reason.
    """
    name = None if path is None else os.fsdecode(path)
    if name is not None:
        if code == ErrorCode.OPEN_INPUT and not writing:
            problem = _reading_problem(name)
        elif code == ErrorCode.OPEN_FOR_SAVE and writing:
            problem = _writing_problem(name)
        else:
            problem = None
        if problem is not None:
            return problem(code, message, name)
    return Error(code, message, name)


class Refusal(ValueError):
    """A call the library refused, changing nothing: ``why`` is its reason.

    Texts a document cannot hold, values that could not be read back in
    their place, typed values a field's declared type does not take, and
    declarations against the rules are refused so.
    """

    def __init__(self, message: str, why: str = "") -> None:
        super().__init__(message)
        self.why = why

    def __reduce__(self) -> Tuple[Any, ...]:
        return (type(self), (str(self), self.why))

