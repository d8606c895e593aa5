"""The document's date text, "YYYYMMDDTHH:MM:00000", and datetime."""

import datetime
import re

_DATE_TEXT = re.compile(r"(\d{4})(\d{2})(\d{2})T(\d{2}):(\d{2}):\d{5}")


def parse_date(text):
    """The datetime of a date text; None when it is not one."""
    if isinstance(text, bytes):
        text = text.decode("latin-1")
    match = _DATE_TEXT.fullmatch(text)
    if match is None:
        return None
    try:
        return datetime.datetime(*(int(part) for part in match.groups()))
    except ValueError:
        return None


def format_date(moment):
    """The date text of a datetime or date; seconds and below are dropped."""
    if not isinstance(moment, datetime.datetime):
        if not isinstance(moment, datetime.date):
            raise TypeError(f"kuv: a date must be a datetime, not {type(moment).__name__}")
        moment = datetime.datetime(moment.year, moment.month, moment.day)
    return (
        f"{moment.year:04d}{moment.month:02d}{moment.day:02d}"
        f"T{moment.hour:02d}:{moment.minute:02d}:00000"
    )
