"""kuv.plot.tracks: one track per numeric column against a depth that
increases downwards, gaps where values are missing, and a package that
imports without matplotlib."""

import io
import os
import subprocess
import sys

import matplotlib
import numpy as np
import pandas as pd
import pytest

import kuv
from conftest import EXAMPLES

matplotlib.use("Agg")


@pytest.fixture
def log_frame():
    with kuv.open(EXAMPLES / "kestrel3_log.kuv") as doc:
        return doc.objects["WellLog"].to_frame("Sample", typed=True)


def test_one_track_per_numeric_field_against_depth_downwards(log_frame):
    figure = kuv.plot.tracks(log_frame)
    axes = figure.axes
    assert [ax.get_title() for ax in axes] == ["GR\ngAPI", "RHOB\ng/cm3", "NPHI\nv/v",
                                               "RT\nohm.m"]
    assert axes[0].get_ylabel() == "DEPT [m]"
    top, bottom = axes[0].get_ylim()
    assert (top, bottom) == (2610.0, 2590.0)  # the deeper end is at the bottom
    assert all(ax.get_ylim() == (top, bottom) for ax in axes)  # one depth axis
    assert axes[3].get_xscale() == "log" and axes[0].get_xscale() == "linear"
    gr = axes[0].lines[0]
    assert list(gr.get_xdata()[:2]) == [108.86, 113.51]
    assert list(gr.get_ydata()[:2]) == [2590.0, 2590.5]
    # RHOB's -999.25 at 2598.5 m is a gap, not a value.
    rhob = axes[1].lines[0]
    at = list(rhob.get_ydata()).index(2598.5)
    assert np.isnan(rhob.get_xdata()[at])
    assert np.nanmin(rhob.get_xdata()) > 2
    png = io.BytesIO()
    figure.savefig(png, format="png")
    assert png.getvalue().startswith(b"\x89PNG") and len(png.getvalue()) > 10000


def test_depth_may_be_named_and_rows_are_drawn_down_it():
    frame = pd.DataFrame({"MD": [30.0, 10.0, 20.0, np.nan], "TVD": [29.0, 10.0, 19.5, 40.0],
                          "Name": ["c", "a", "b", "d"], "Count": pd.array([3, 1, None, 4],
                                                                          dtype="Int64")})
    figure = kuv.plot.tracks(frame, depth="TVD")
    assert [ax.get_title() for ax in figure.axes] == ["MD", "Count"]
    md = figure.axes[0].lines[0]
    assert list(md.get_ydata()) == [10.0, 19.5, 29.0, 40.0]
    assert list(md.get_xdata())[:3] == [10.0, 20.0, 30.0] and np.isnan(md.get_xdata()[3])
    count = figure.axes[1].lines[0]
    assert np.isnan(count.get_xdata()[1])  # the missing integer
    # Without null_value, -999.25 is a value like any other.
    frame.loc[0, "MD"] = -999.25
    kept = kuv.plot.tracks(frame, depth="TVD", null_value=None).axes[0].lines[0]
    assert np.nanmin(kept.get_xdata()) == -999.25


def test_frames_without_two_numeric_columns_are_refused(casing_doc):
    texts = casing_doc.objects["CasingStrings"].to_frame("Casing")
    with pytest.raises(ValueError, match="typed=True"):
        kuv.plot.tracks(texts)
    with pytest.raises(ValueError, match="no numeric column of the frame"):
        kuv.plot.tracks(casing_doc.objects["CasingStrings"].to_frame("Casing", typed=True),
                        depth="Name")
    with pytest.raises(ValueError, match="besides the depth"):
        kuv.plot.tracks(pd.DataFrame({"DEPT": [1.0, 2.0]}))
    with pytest.raises(TypeError):
        kuv.plot.tracks([1, 2, 3])


def test_the_package_imports_without_matplotlib():
    # matplotlib made unimportable: kuv still imports, and kuv.plot says
    # what it needs.
    code = (
        "import sys; sys.modules['matplotlib'] = None; sys.modules['matplotlib.figure'] = None\n"
        "import kuv\n"
        "assert kuv.open\n"
        "try:\n"
        "    kuv.plot\n"
        "except ImportError as error:\n"
        "    print('needs', error.name)\n"
    )
    run = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                         env=dict(os.environ), check=True)
    assert run.stdout.startswith("needs matplotlib")
