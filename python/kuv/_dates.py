"""The document's Date text, "YYYYMMDDTHH:MM:00000", and datetime.

The Date text's rules are the library's (kuv::ParseDate, kuv::FormatDate).
"""

from __future__ import annotations

import datetime
from typing import Optional, Union

from . import _core


def parse_date(text: Union[str, bytes]) -> Optional[datetime.datetime]:
    """The datetime of a Date text; None when it is not one (the library
    takes years 1900 to 2500 and real days)."""
    if isinstance(text, str):
        try:
            text = text.encode("ascii")
        except UnicodeEncodeError:
            return None
    parts = _core.parse_date(text)
    if parts is None:
        return None
    try:
        return datetime.datetime(*parts)
    except ValueError:  # a day the month does not have
        return None


def format_date(moment: Union[datetime.date, datetime.datetime]) -> str:
    """The Date text of a datetime or date; seconds and below are dropped."""
    if not isinstance(moment, datetime.datetime):
        if not isinstance(moment, datetime.date):
            raise TypeError(f"kuv: a date must be a datetime, not {type(moment).__name__}")
        moment = datetime.datetime(moment.year, moment.month, moment.day)
    return _core.format_date(moment.year, moment.month, moment.day, moment.hour, moment.minute)
