"""Texts are bytes in a document: every byte survives a round trip through
str, whatever the encoding."""

import pandas as pd
import pytest

import kuv

EVERY_BYTE = bytes(b for b in range(256) if b != ord("<"))  # "<" would start a tag


def document_with(value_bytes, encoding):
    doc = kuv.Document(encoding=None)
    obj = doc.add_object(b"Texts", b"t", b"1", b"W")
    obj.define_table(b"T")
    obj.define_field(b"T", b"key", b"", b"string")
    obj.define_field(b"T", b"text", b"", b"string")
    obj.put(b"T", b"key", b"k")
    obj.put(b"T", b"text", value_bytes)
    return kuv.open(doc.to_bytes(), encoding=encoding)


@pytest.mark.parametrize("encoding", ["cp1252", "windows-1252", "latin-1", "utf-8", "ascii", None])
def test_every_byte_survives_reading_and_writing_back(encoding):
    read = document_with(EVERY_BYTE, encoding).objects[0]
    frame = read.to_frame("T")
    name = "text" if encoding else b"text"  # bytes have bytes for names too
    text = frame.loc[0, name]
    assert text == read.tables[0].rows[0][name]  # the package's codec and _core's agree
    out = kuv.Document(encoding=encoding)
    copy = out.add_object("Texts", "t", "1", "W")
    copy.define_table("T")
    copy.define_field("T", "key")
    copy.define_field("T", "text")
    copy.add_frame("T", frame)
    copy.put("T", "key", "second")
    copy.put("T", "text", text)
    values = kuv.open(out.to_bytes(), encoding=None).objects[0].to_frame("T")[b"text"]
    assert list(values) == [EVERY_BYTE, EVERY_BYTE]


def test_cp1252_reads_the_unassigned_bytes_as_control_characters():
    frame = document_with(b"\x80\x81\x8d\x8f\x90\x9d\xe9", "cp1252").objects[0].to_frame("T")
    assert frame.loc[0, "text"] == "\u20ac\x81\x8d\x8f\x90\x9d\xe9"
    latin = document_with(b"\x80", "latin-1").objects[0].to_frame("T")
    assert latin.loc[0, "text"] == "\x80"
    assert document_with(b"\x80", None).objects[0].to_frame("T").loc[0, b"text"] == b"\x80"


def test_undecodable_bytes_come_back_as_surrogates_and_names_decode_too():
    doc = document_with(b"caf\xe9", "utf-8")
    assert doc.objects[0].to_frame("T").loc[0, "text"] == "caf\udce9"
    assert doc.objects["Texts"].id == "Texts"


def test_a_character_the_encoding_cannot_hold_is_refused_by_name():
    doc = kuv.Document()
    obj = doc.add_object("Texts", "t", "1", "W")
    obj.define_table("T")
    obj.define_field("T", "text")
    with pytest.raises(ValueError, match="'Ω' has no byte in cp1252"):
        obj.put("T", "text", "Ω")
    with pytest.raises(ValueError, match="column 'text'"):
        obj.add_frame("T", pd.DataFrame({"text": ["fine", "Ω"]}))
    with pytest.raises(ValueError):
        obj.author = "Ω"
    with pytest.raises(ValueError, match="give bytes"):
        kuv.Document(encoding=None).add_object("caf\xe9", b"t", b"1", b"W")


def test_texts_a_codec_cannot_decode_raise_its_error_without_harm(tmp_path):
    doc = document_with(b"odd", "utf-16")  # three bytes are no UTF-16
    with pytest.raises(UnicodeDecodeError):
        doc.objects[0].to_frame("T")
    path = tmp_path / "odd.kuv"
    doc.save(path)
    with pytest.raises(UnicodeDecodeError):
        kuv.read_frames([path] * 4, threads=2, encoding="utf-16")
    assert len(kuv.read_frames([path] * 4, threads=2, encoding="latin-1")["T"]) == 4
