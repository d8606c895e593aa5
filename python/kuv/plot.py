"""Log tracks of a frame, drawn with matplotlib as ``kuv view`` draws them.

    import kuv
    with kuv.open("log.kuv") as doc:
        frame = doc.objects["WellLog"].to_frame("Sample", typed=True)
    figure = kuv.plot.tracks(frame)          # a matplotlib Figure
    figure.savefig("log.png")

The first numeric column is the depth, on a vertical axis that increases
downwards; every other numeric column gets a track of its own beside it,
headed by its name and unit. Only this module needs matplotlib: the rest
of the package imports without it.
"""

from __future__ import annotations

from typing import Any, List, Optional

import numpy as np
import pandas as pd
from matplotlib.figure import Figure

from ._frames import IDENTITY, OBJECT, SOURCE

# The value that marks a missing sample in logs, as the page of kuv view
# takes it when an object names none of its own.
NULL_VALUE = -999.25

_TRACK_WIDTH = 1.7  # inches
_HEIGHT = 8.0


def _numeric_columns(frame: pd.DataFrame) -> List[Any]:
    """The columns that hold numbers, in the frame's order; the row
    identity and provenance columns are not data."""
    skipped = set(IDENTITY) | {SOURCE, OBJECT}
    names = []
    for name in frame.columns:
        if name in skipped:
            continue
        dtype = frame[name].dtype
        if pd.api.types.is_numeric_dtype(dtype) and not pd.api.types.is_bool_dtype(dtype):
            names.append(name)
    return names


def _values(series: pd.Series, null_value: Optional[float]) -> Any:
    values = series.to_numpy(dtype=float, na_value=np.nan)
    if null_value is not None:
        values[values == null_value] = np.nan
    values[~np.isfinite(values)] = np.nan
    return values


def _label(name: Any, unit: str) -> str:
    return f"{name}\n{unit}" if unit else str(name)


def tracks(frame: pd.DataFrame, depth: Any = None, *,
           null_value: Optional[float] = NULL_VALUE) -> Figure:
    """Draws one track per numeric column of ``frame`` against ``depth``
    and returns the matplotlib Figure.

    Numeric columns are those of a number dtype, as ``to_frame(table,
    typed=True)`` gives float and integer fields; a frame of texts has none.
    ``depth`` names the column of the vertical axis, by default the first
    numeric column. Missing values, and ``null_value`` (None for none), are
    gaps in the curves. Units come from ``frame.attrs["units"]`` where the
    frame has them; a resistivity (a unit in ohm) whose values are all
    positive is drawn on a logarithmic scale.

    ValueError when the frame has no numeric column besides the depth, or
    ``depth`` is no numeric column of it.
    """
    if not isinstance(frame, pd.DataFrame):
        raise TypeError(f"kuv: tracks takes a DataFrame, not {type(frame).__name__}")
    numeric = _numeric_columns(frame)
    if depth is None:
        if not numeric:
            raise ValueError(
                "kuv: the frame has no numeric column; a frame of texts has none: "
                "use to_frame(table, typed=True)"
            )
        depth = numeric[0]
    elif depth not in numeric:
        raise ValueError(f"kuv: the depth {depth!r} is no numeric column of the frame")
    curves = [name for name in numeric if name != depth]
    if not curves:
        raise ValueError(f"kuv: the frame has no numeric column besides the depth {depth!r}")

    units = frame.attrs.get("units", {})
    depths = _values(frame[depth], null_value)
    placed = np.isfinite(depths)
    # Curves are drawn down the depth, whatever order the rows are in.
    order = np.argsort(depths[placed], kind="stable")
    depths = depths[placed][order]

    figure = Figure(figsize=(1.0 + _TRACK_WIDTH * len(curves), _HEIGHT), layout="constrained")
    axes = figure.subplots(1, len(curves), sharey=True, squeeze=False)[0]
    for index, (name, ax) in enumerate(zip(curves, axes)):
        unit = units.get(name, "")
        values = _values(frame[name], null_value)[placed][order]
        ax.set_title(_label(name, unit), fontsize=9)
        ax.grid(True, color="#e6e9ee", linewidth=0.6)
        ax.tick_params(labelsize=7)
        ax.xaxis.set_ticks_position("top")
        drawn = np.isfinite(values)
        if not drawn.any():
            ax.text(0.5, 0.5, "no values", transform=ax.transAxes, ha="center", fontsize=8)
            continue
        if "ohm" in str(unit).lower() and (values[drawn] > 0).all():
            ax.set_xscale("log")
        ax.plot(values, depths, color=f"C{index}", linewidth=0.8)
    depth_unit = units.get(depth, "")
    axes[0].set_ylabel(f"{depth} [{depth_unit}]" if depth_unit else str(depth))
    if len(depths):
        top, bottom = depths.min(), depths.max()
        if top == bottom:
            top, bottom = top - 0.5, bottom + 0.5
        axes[0].set_ylim(bottom, top)  # depth increases downwards
    else:
        axes[0].invert_yaxis()
    figure.suptitle(frame.attrs.get("table", ""), fontsize=10)
    return figure
