"""The library's errors, as Python exceptions."""

import enum


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
    its message, exactly as the C interface hands it out.
    """

    def __init__(self, code, message):
        super().__init__(message)
        self.code = ErrorCode(code)
        self.message = message

    def __reduce__(self):
        return (type(self), (int(self.code), self.message))


class Refusal(ValueError):
    """A call the library refused, changing nothing: ``why`` is its reason.

    Texts a document cannot hold, values that could not be read back in
    their place, and declarations against the rules are refused so.
    """

    def __init__(self, message, why=""):
        super().__init__(message)
        self.why = why

    def __reduce__(self):
        return (type(self), (str(self), self.why))
