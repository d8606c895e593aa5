"""Documents from and to whatever Python hands over: paths of every kind,
bytes, buffers and binary file objects; and the system's reason when a
file cannot be opened or written."""

import errno
import io
import os
import pathlib

import pytest

import kuv
from conftest import EXAMPLES

CASING = EXAMPLES / "kestrel3_casing_tops.kuv"


def ids_of(doc):
    return [obj.id for obj in doc.objects]


@pytest.mark.parametrize("make_source", [
    str, os.fsencode, pathlib.Path,
    lambda path: path.read_bytes(),
    lambda path: bytearray(path.read_bytes()),
    lambda path: memoryview(path.read_bytes()),
    lambda path: io.BytesIO(path.read_bytes()),
    lambda path: io.BufferedReader(io.BytesIO(path.read_bytes())),
], ids=["str", "bytes-path", "PathLike", "bytes", "bytearray", "memoryview", "BytesIO",
        "BufferedReader"])
def test_open_takes_every_source_python_hands_over(make_source):
    expected = kuv.open(CASING).to_bytes()
    doc = kuv.open(make_source(CASING))
    assert doc.to_bytes() == expected and ids_of(doc) == ["CasingStrings", "FormationTops"]


def test_open_reads_an_open_binary_file_and_refuses_text_mode():
    with open(CASING, "rb") as file:
        assert ids_of(kuv.open(file)) == ["CasingStrings", "FormationTops"]
    with open(CASING, encoding="latin-1") as file:
        with pytest.raises(TypeError, match=r"text mode.*open it in binary mode \('rb'\)"):
            kuv.open(file)

    class TextReader:  # a file-like object that is no io.TextIOBase
        def read(self):
            return "<?xml version='1.0'?>"

    with pytest.raises(TypeError, match="binary mode"):
        kuv.open(TextReader())
    with pytest.raises(TypeError, match="a path, a document's bytes or a binary file object"):
        kuv.open(42)


def test_a_buffer_is_copied_before_it_is_read():
    data = bytearray(CASING.read_bytes())
    doc = kuv.open(memoryview(data)[:])
    data[:] = b"x" * len(data)  # the caller's buffer changes afterwards
    assert ids_of(doc) == ["CasingStrings", "FormationTops"]


def test_save_writes_to_paths_and_binary_file_objects(tmp_path):
    doc = kuv.open(CASING)
    expected = doc.to_bytes()
    for target in [tmp_path / "a.kuv", str(tmp_path / "b.kuv"), os.fsencode(tmp_path / "c.kuv")]:
        doc.save(target)
        assert pathlib.Path(os.fsdecode(target)).read_bytes() == expected
    memory = io.BytesIO()
    doc.save(memory)
    assert memory.getvalue() == expected
    with open(tmp_path / "d.kuv", "wb") as file:
        doc.save(file)
    assert (tmp_path / "d.kuv").read_bytes() == expected
    with open(tmp_path / "e.kuv", "w", encoding="latin-1") as file:
        with pytest.raises(TypeError, match=r"open it in binary mode \('wb'\)"):
            doc.save(file)
    with pytest.raises(TypeError, match="a path or a binary file object"):
        doc.save(3.5)


def test_a_file_that_cannot_be_opened_is_also_the_systems_error(tmp_path):
    missing = tmp_path / "missing.kuv"
    with pytest.raises(FileNotFoundError) as raised:
        kuv.open(missing)
    error = raised.value
    assert isinstance(error, kuv.Error) and error.code == kuv.ErrorCode.OPEN_INPUT
    assert error.errno == errno.ENOENT and error.filename == str(missing)
    assert str(error).startswith("Error : Failed to open input file.")
    with pytest.raises(IsADirectoryError) as raised:
        kuv.open(tmp_path)
    assert isinstance(raised.value, kuv.Error)
    with pytest.raises(FileNotFoundError, match="missing.kuv"):
        kuv.read_frames([CASING, missing])
    with pytest.raises(FileNotFoundError):
        kuv.Template(missing)
    doc = kuv.open(CASING)
    with pytest.raises(FileNotFoundError) as raised:
        doc.save(tmp_path / "no folder" / "out.kuv")
    assert raised.value.code == kuv.ErrorCode.OPEN_FOR_SAVE
    with pytest.raises(IsADirectoryError):
        doc.save(tmp_path)
    # A document that is not one is no error of the system's.
    (tmp_path / "bad.kuv").write_bytes(b"<?xml version='1.0'?>\n<NOTIT>\n")
    with pytest.raises(kuv.Error) as raised:
        kuv.open(tmp_path / "bad.kuv")
    assert not isinstance(raised.value, OSError)


def test_permission_denied_is_a_permission_error(tmp_path, monkeypatch):
    # As root (where tests may run) nothing is denied; the system's answer
    # is stood in for at the one place the package asks it.
    target = tmp_path / "secret.kuv"
    target.write_bytes(CASING.read_bytes())
    target.chmod(0)
    real_open = os.open

    def denied(path, *args, **kwargs):
        if os.fspath(path) == str(target):
            raise PermissionError(errno.EACCES, "Permission denied", str(target))
        return real_open(path, *args, **kwargs)

    monkeypatch.setattr(os, "open", denied)
    error = kuv._errors.error_for(1, "Error : Failed to open input file.", os.fsencode(target))
    assert isinstance(error, PermissionError) and isinstance(error, kuv.Error)
    assert error.errno == errno.EACCES
    monkeypatch.setattr(os, "access", lambda path, mode: False)
    error = kuv._errors.error_for(5, "Error : Error opening file for save.", str(target), True)
    assert isinstance(error, PermissionError)


def test_errors_travel_between_processes():
    import pickle

    error = kuv._errors.error_for(1, "Error : Failed to open input file.: x", b"/no/such/x")
    copy = pickle.loads(pickle.dumps(error))
    assert type(copy) is type(error) and copy.code == error.code and str(copy) == str(error)
    refusal = pickle.loads(pickle.dumps(kuv.Refusal("kuv: no", "because")))
    assert refusal.why == "because"
