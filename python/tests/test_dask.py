"""kuv.dask on a cluster of separate processes: one partition per
document, nothing unpicklable on the way, and the same rows as
kuv.read_frames."""

import pickle
import subprocess
import sys

import pandas as pd
import pytest

import kuv
from conftest import EXAMPLES

dd = pytest.importorskip("dask.dataframe")
distributed = pytest.importorskip("distributed")


@pytest.fixture(scope="module")
def documents(tmp_path_factory):
    folder = tmp_path_factory.mktemp("documents")
    paths = []
    for index, name in enumerate(["kestrel3_casing_tops.kuv", "kestrel3_log.kuv"] * 3):
        path = folder / f"{index}_{name}"
        path.write_bytes((EXAMPLES / name).read_bytes())
        paths.append(str(path))
    return paths


@pytest.fixture(scope="module")
def cluster(tmp_path_factory):
    workers = tmp_path_factory.mktemp("workers")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=":0", local_directory=str(workers)) as made:
        with distributed.Client(made) as client:
            yield client


def comparable(frame):
    frame = frame.reset_index(drop=True)
    for name in ("source", "object", "parent_table"):
        if name in frame.columns:
            frame[name] = frame[name].astype(object)
    return frame


def test_read_table_on_worker_processes_gives_read_frames_rows(cluster, documents):
    casing = kuv.dask.read_table(documents, "Casing", na_values=[-999.25])
    assert isinstance(casing, dd.DataFrame) and casing.npartitions == len(documents)
    pickle.dumps(casing.dask)  # what goes to the workers is picklable
    meta = casing._meta
    assert list(meta.columns[:3]) == ["source", "object", "row_id"]
    assert meta["OD"].dtype == "float64" and meta["Name"].dtype == object
    computed = casing.compute()
    expected = kuv.read_frames(documents, typed=True, na_values=[-999.25])["Casing"]
    pd.testing.assert_frame_equal(comparable(computed), comparable(expected[computed.columns]),
                                  check_dtype=False)
    assert (computed["source"].str.endswith("casing_tops.kuv")).all()
    workers = set(cluster.run(lambda: __import__("os").getpid()).values())
    assert len(workers) == 2


def test_read_frames_gives_one_per_table_with_nested_tables_joined(cluster, documents):
    tables = kuv.dask.read_frames(documents)
    assert {"Casing", "CementStage"} <= set(tables)
    stages = tables["CementStage"].compute()
    expected = kuv.read_frames(documents, typed=True)["CementStage"]
    assert stages["parent_row_id"].tolist() == expected["parent_row_id"].tolist()
    assert str(stages["Stage"].dtype) == "Int64" and len(stages) == len(expected)


def test_a_document_without_the_table_is_an_empty_partition(documents):
    casing = kuv.dask.read_table(documents, "Casing")
    log_only = [path for path in documents if path.endswith("log.kuv")]
    empty = kuv.dask.read_table(log_only, "Casing", meta=casing._meta).compute()
    assert len(empty) == 0 and list(empty.columns) == list(casing.columns)
    with pytest.raises(KeyError, match="no table 'Nothing'"):
        kuv.dask.read_table(documents, "Nothing")


def test_the_package_imports_without_dask():
    code = ("import sys; sys.modules['dask'] = None; import kuv; kuv.open; "
            "import importlib\ntry:\n    import kuv.dask\nexcept ImportError:\n    print('ok')")
    run = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=120)
    assert run.stdout.strip() == "ok", run.stderr
