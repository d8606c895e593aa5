"""Texts: documents hold bytes; Python gets them as str.

Code page 1252 is the default, as the Windows programs that write these
documents use it. Python's own cp1252 codec refuses the five bytes the code
page leaves unassigned; here they stand for the control characters of the
same number, as Windows and the kuv tool read them, so every byte survives a
round trip. Any other Python codec may be named: bytes it cannot decode come
back as surrogates ("surrogateescape") and are encoded back to themselves.
``encoding=None`` hands out bytes.
"""

from __future__ import annotations

import codecs
import os
from typing import Optional, Tuple, Union

from . import _core

TextLike = Union[str, bytes, bytearray, memoryview]
PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

CP1252 = "kuv-cp1252"

_DECODING_TABLE = "".join(
    chr(_core.CP1252_HIGH[byte - 0x80]) if 0x80 <= byte < 0xA0 else chr(byte)
    for byte in range(256)
)
_ENCODING_TABLE = codecs.charmap_build(_DECODING_TABLE)


def _encode(input: str, errors: str = "strict") -> Tuple[bytes, int]:
    return codecs.charmap_encode(input, errors, _ENCODING_TABLE)


def _decode(input: bytes, errors: str = "strict") -> Tuple[str, int]:
    # A str of 256 characters is a decoding table too.
    return codecs.charmap_decode(input, errors, _DECODING_TABLE)  # type: ignore[arg-type]


def _search(name: str) -> Optional[codecs.CodecInfo]:
    if name.replace("-", "_") != CP1252.replace("-", "_"):
        return None
    return codecs.CodecInfo(name=CP1252, encode=_encode, decode=_decode)


codecs.register(_search)


def codec_name(encoding: Optional[str]) -> Optional[str]:
    """The codec _core uses for an encoding name: None for bytes."""
    if encoding is None:
        return None
    name = codecs.lookup(encoding).name  # LookupError for an unknown one
    return CP1252 if name in ("cp1252", CP1252) else name


class Texts:
    """Decodes and encodes the texts of one document."""

    def __init__(self, encoding: Optional[str]) -> None:
        self.encoding = encoding
        self.codec = codec_name(encoding)
        # Surrogates stand for undecodable bytes; code page 1252 has none.
        self._errors = "strict" if self.codec == CP1252 else "surrogateescape"

    def decode(self, data: bytes) -> str:
        """A str; the bytes themselves when the encoding is None (the
        package's texts are annotated as str, the usual case)."""
        if self.codec is None:
            return data  # type: ignore[return-value]
        return data.decode(self.codec, self._errors)

    def encode(self, text: object, what: str) -> bytes:
        """The bytes of text (str, or bytes as they are) for the named place."""
        if isinstance(text, (bytes, bytearray, memoryview)):
            return bytes(text)
        if not isinstance(text, str):
            raise TypeError(f"kuv: {what} must be str or bytes, not {type(text).__name__}")
        try:
            if self.codec is None:  # bytes, or a str of ASCII alone
                return text.encode("ascii")
            return text.encode(self.codec, self._errors)
        except UnicodeEncodeError as error:
            bad = error.object[error.start : error.end]
            encoding = "ASCII (give bytes)" if self.codec is None else self.encoding
            raise ValueError(f"kuv: {what}: {bad!r} has no byte in {encoding}") from None


def path_bytes(path: PathLike) -> bytes:
    """A file-system path as bytes; ValueError for one with a zero byte,
    which the operating system would read as a shorter path."""
    data = os.fsencode(path)
    if b"\0" in data:
        raise ValueError("kuv: embedded null byte in path")
    return data
