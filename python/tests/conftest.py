"""Fixtures shared by the tests of the Python package.

The package is imported from the build tree (PYTHONPATH=<build>/python);
KUV_C_LIBRARY may name the built libkuv.so, which the tests that compare
with the C interface load.
"""

import os
import pathlib

import pytest

import kuv

ROOT = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = ROOT / "examples"
TEMPLATE = EXAMPLES / "Standard.kvt"
EXAMPLE_DOCUMENTS = sorted(EXAMPLES.glob("*.kuv"))


@pytest.fixture(scope="session")
def template():
    return kuv.Template(TEMPLATE)


@pytest.fixture(params=EXAMPLE_DOCUMENTS, ids=lambda path: path.stem)
def example(request):
    return request.param


@pytest.fixture
def casing_doc():
    with kuv.open(EXAMPLES / "kestrel3_casing_tops.kuv") as doc:
        yield doc


def c_library_path():
    """The built libkuv.so: KUV_C_LIBRARY, or beside the extension's build."""
    named = os.environ.get("KUV_C_LIBRARY")
    if named:
        return pathlib.Path(named)
    build = pathlib.Path(kuv._core.__file__).resolve().parents[2]
    return build / "src" / "libkuv.so"


def nested_object(doc, object_id="Nested"):
    """An object declaring A > B > D and A > C, and Z at the top level."""
    obj = doc.add_object(object_id, "tester", "1", "W-1")
    for table, parent in [("A", ""), ("B", "A"), ("C", "A"), ("D", "B"), ("Z", "")]:
        obj.define_table(table, parent)
    for table, field in [("A", "a1"), ("A", "a2"), ("B", "b1"), ("C", "c1"), ("D", "d1"),
                         ("Z", "z1")]:
        obj.define_field(table, field, "m", "string")
    return obj
