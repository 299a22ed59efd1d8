"""Daily solar flux and geomagnetic activity for thermosphere density models.

The meanflux library for Python: a combined mean-flux data file loaded into a ``Table``, the
inputs of a density model at any number of epochs (``Table.space_weather``,
``Table.space_weather_at``) and each day's record values (``Table.values``), as NumPy arrays
whose values are the C++ library's, bit for bit.

    >>> import meanflux
    >>> t = meanflux.Table("mean_flux.dat")
    >>> w = t.space_weather(["2024-03-01T06:30Z", "2024-03-02"])
    >>> w["f107_obs_mean81"], w["ap_history"]
    >>> meanflux.build("SW-All.csv", "mean_flux.dat", predictions=True)  # as meanflux-build

Day numbers count days from 1 January 1950 (day 0); epochs are UT.
"""

from __future__ import annotations

import datetime as _dt
import os as _os
import warnings as _warnings

import numpy as _np

from . import _core

__version__: str = _core.__version__

__all__ = ["Table", "build", "day_number", "__version__"]

_EPOCH_DAY = _dt.date(1950, 1, 1)
_INT32 = _np.iinfo(_np.int32)


def _is_scalar(x) -> bool:
    return isinstance(x, (str, bytes, _dt.date, _np.datetime64)) or _np.ndim(x) == 0


def _scalars(out: dict, scalar: bool, shape: tuple) -> dict:
    """One value per key for a scalar input (a row of 8 or 7 for kp and ap_history); otherwise
    arrays of the input's shape."""
    if scalar:
        return {k: (v[0] if v.ndim > 1 else v[0].item()) for k, v in out.items()}
    return {k: v.reshape(shape + v.shape[1:]) for k, v in out.items()}


def _library_days(days64: _np.ndarray) -> _np.ndarray:
    """Day numbers, as the library counts them, of datetime64[D] values."""
    months = days64.astype("datetime64[M]")
    years = days64.astype("datetime64[Y]").astype(_np.int64) + 1970
    month = months.astype(_np.int64) % 12 + 1
    day = (days64 - months).astype(_np.int64) + 1
    if years.size and (years.min() < -5_000_000 or years.max() > 5_000_000):
        raise ValueError("a date lies beyond the years the library counts")
    return _core.day_numbers(day.astype(_np.int32), month.astype(_np.int32),
                             years.astype(_np.int32))


def _from_datetime64(e: _np.ndarray):
    """(day numbers, seconds of day) of datetime64 values of any unit."""
    if _np.isnat(e).any():
        raise ValueError("an epoch is NaT (not a time)")
    days64 = e.astype("datetime64[D]")
    remainder = e - days64
    before = remainder < _np.timedelta64(0)
    if before.any():  # a cast that rounded toward zero before 1970
        days64 = days64 - before.astype("timedelta64[D]")
        remainder = e - days64
    # Both counts are whole multiples of the finer unit, below 2**53: one rounding, to nearest.
    seconds = (remainder / _np.timedelta64(1, "s")).astype(_np.float64)
    return _library_days(days64), seconds


def _from_python(x):
    """(day number, seconds of day) of a datetime (UT when naive), a date or an ISO 8601 text."""
    if isinstance(x, bytes):
        x = x.decode()
    if isinstance(x, str):
        days, seconds = _core.parse_epochs([x])
        return int(days[0]), float(seconds[0])
    if isinstance(x, _np.datetime64):
        days, seconds = _from_datetime64(_np.asarray([x]))
        return int(days[0]), float(seconds[0])
    if isinstance(x, _dt.datetime):
        if x.tzinfo is not None and x.utcoffset() is not None:
            x = x.astimezone(_dt.timezone.utc).replace(tzinfo=None)
        microseconds = ((x.hour * 60 + x.minute) * 60 + x.second) * 1_000_000 + x.microsecond
        day = _core.day_numbers(_np.array([x.day], _np.int32), _np.array([x.month], _np.int32),
                                _np.array([x.year], _np.int32))
        return int(day[0]), microseconds / 1e6
    if isinstance(x, _dt.date):
        day = _core.day_numbers(_np.array([x.day], _np.int32), _np.array([x.month], _np.int32),
                                _np.array([x.year], _np.int32))
        return int(day[0]), 0.0
    raise TypeError(f"{x!r} is not an epoch: give a datetime64, a datetime, a date or an "
                    "ISO 8601 text")


def _epochs(epochs):
    """(day numbers, seconds, scalar, shape) of any of the accepted forms of epochs."""
    scalar = _is_scalar(epochs)
    if isinstance(epochs, _np.datetime64) or not scalar:
        e = _np.asarray(epochs)
        if e.dtype.kind == "M":
            days, seconds = _from_datetime64(e.reshape(-1))
            return days, seconds, scalar, e.shape
        items = [epochs] if scalar else e.reshape(-1).tolist()
        shape = e.shape
    else:
        items, shape = [epochs], ()
    if items and all(isinstance(x, str) for x in items):
        days, seconds = _core.parse_epochs(items)
        return days, seconds, scalar, shape
    pairs = [_from_python(x) for x in items]
    days = _np.array([p[0] for p in pairs], dtype=_np.int32)
    seconds = _np.array([p[1] for p in pairs], dtype=_np.float64)
    return days, seconds, scalar, shape


def _dates(dates):
    """(day numbers, scalar, shape) of dates: datetime64, date or ISO 8601 date texts."""
    days, seconds, scalar, shape = _epochs(dates)
    if (seconds != 0).any():
        raise ValueError("a date was asked for, not an instant within a day")
    return days, scalar, shape


def _as_day_numbers(day_numbers) -> _np.ndarray:
    d = _np.asarray(day_numbers)
    if d.dtype.kind not in "iu":
        raise TypeError("day numbers are whole numbers (days from 1950-01-01)")
    if d.size and (d.min() < _INT32.min or d.max() > _INT32.max):
        raise ValueError("a day number lies outside the 32-bit range")
    return d.astype(_np.int32, copy=False)


class Table:
    """A combined mean-flux data file (mean_flux.dat) loaded into memory.

    Table(path) reads the file once; the table is never changed afterwards, and lookups from
    several threads may overlap.

    Raises FileNotFoundError (or another OSError) when the file cannot be opened or read,
    ValueError when it breaks the layout of a combined file, MemoryError when the memory for
    the table cannot be had.
    """

    def __init__(self, path: str | _os.PathLike) -> None:
        """Load the combined mean-flux data file at path."""
        path = _os.fspath(path)
        if isinstance(path, bytes):
            path = _os.fsdecode(path)
        # The library answers alike for a file it cannot open and one that breaks its layout:
        # opening it here first raises the system's error for the former.  Nothing is read, so
        # that a pipe keeps every byte for the library.
        with open(path, "rb"):
            pass
        self._table = _core.Table(path)
        self._first, self._last, self._observed = self._table.days()
        self.path = path

    @classmethod
    def from_source(cls, source: str | _os.PathLike, predictions: bool = False,
                    from_year: int | None = None, to_year: int | None = None) -> "Table":
        """Build in memory the table of the combined file that meanflux-build would write.

        source is a GFZ Potsdam file, CelesTrak's SW-All.csv or a directory of yearly daily
        index files; predictions takes CelesTrak's daily predictions after the last observed
        day; from_year and to_year (None: as far as the source allows) are meanflux-build's
        --from and --to.  Raises FileNotFoundError (or another OSError) when the source cannot
        be opened, ValueError with meanflux-build's message when a year asked for is not in it,
        it breaks its format or holds no predictions when they are asked for, MemoryError when
        the memory cannot be had.
        """
        path = _os.fspath(source)
        if isinstance(path, bytes):
            path = _os.fsdecode(path)
        # The library answers alike for a source it cannot open and one that breaks its format:
        # looking at it here first raises the system's error for the former.
        if not _os.path.isdir(path):
            with open(path, "rb"):
                pass
        table = cls.__new__(cls)
        table._table = _core.Table.from_source(path, from_year or 0, to_year or 0,
                                               bool(predictions))
        table._first, table._last, table._observed = table._table.days()
        table.path = path
        return table

    def __repr__(self) -> str:
        return (f"meanflux.Table({self.path!r}: {self.first_day} to {self.last_day}, "
                f"observed to {self.last_observed_day})")

    @property
    def first_day(self) -> _dt.date:
        """The table's first day."""
        return _EPOCH_DAY + _dt.timedelta(days=self._first)

    @property
    def last_day(self) -> _dt.date:
        """The table's last day."""
        return _EPOCH_DAY + _dt.timedelta(days=self._last)

    @property
    def last_observed_day(self) -> _dt.date:
        """The table's last day that is no prediction: last_day when the file holds none."""
        return _EPOCH_DAY + _dt.timedelta(days=self._observed)

    def space_weather_at(self, day_numbers, seconds) -> dict:
        """Density-model inputs at day numbers (days from 1950-01-01) and seconds of the day (UT).

        day_numbers and seconds are scalars or arrays, broadcast against each other.  Returns a
        dict keyed as the C++ struct space_weather: result (0 found; 2 found, with a shortened
        81-day mean or predicted days; -1 outside the table; 1 a record missing or without a
        value), f107_obs_prev_day, f107_adj_prev_day, f107_gauss_mean, f107_arith_mean,
        f107_obs_mean81, mean81_days, predicted, kp (8 per epoch, latest first), ap_daily and
        ap_history (7 per epoch).  Where result is neither 0 nor 2 the values are NaN,
        mean81_days 0 and predicted False.  Scalars in give scalars out.
        """
        d = _as_day_numbers(day_numbers)
        s = _np.asarray(seconds, dtype=_np.float64)
        scalar = d.ndim == 0 and s.ndim == 0
        d, s = _np.broadcast_arrays(d, s)
        shape = d.shape
        out = self._table.space_weather_at(_np.ascontiguousarray(d).reshape(-1),
                                           _np.ascontiguousarray(s).reshape(-1))
        return _scalars(out, scalar, shape)

    def space_weather(self, epochs) -> dict:
        """Density-model inputs at epochs (UT), as space_weather_at gives them.

        epochs: numpy datetime64 of any unit, datetime.datetime (naive ones are UT, aware ones
        are converted), datetime.date (0 h UT), or ISO 8601 texts such as "2026-05-01",
        "2026-05-01T06:30" or "2026-05-01T06:30:15.25Z"; one of them or an array or list.
        """
        days, seconds, scalar, shape = _epochs(epochs)
        out = self._table.space_weather_at(days, seconds)
        return _scalars(out, scalar, shape)

    def values(self, dates) -> dict:
        """Each date's record values, as the C++ find_mean_flux gives them.

        dates: numpy datetime64[D], datetime.date or ISO 8601 date texts ("2024-03-01"); one of
        them or an array or list.  Returns a dict: result (0 found, -1 outside the table's range,
        1 no record at its place), kp (8 per day, in whole units), kp_sum, ap, f107_obs,
        f107_adj, gauss_mean, arith_mean; NaN where the record holds no value.
        """
        days, scalar, shape = _dates(dates)
        return _scalars(self._table.values(days), scalar, shape)


def day_number(date):
    """Days from 1 January 1950 (day 0) of a date: datetime.date, numpy datetime64 or an ISO 8601
    text, or an array or list of them (an int, or an int32 array)."""
    days, scalar, shape = _dates(date)
    return int(days[0]) if scalar else days.reshape(shape)


def _fs_path(path) -> str:
    path = _os.fspath(path)
    return _os.fsdecode(path) if isinstance(path, bytes) else path


def build(source, output="mean_flux.dat", yearly=None, from_year=None, to_year=None,
          predictions=False):
    """Write the files that meanflux-build writes, by its code, byte for byte.

    source is a GFZ Potsdam file, CelesTrak's SW-All.csv or a directory of yearly daily index
    files <yyyy>.dat.  output is the combined mean-flux file (None: none, then yearly is needed);
    yearly, when given, a directory (made if missing) that receives each year's <yyyy>_m.dat;
    from_year and to_year (None: as far as the source allows; 1937 to 2099, years before 1950 go
    into the yearly files only) and predictions (CelesTrak's daily predictions after the last
    observed day, which the combined file's header then names) are meanflux-build's --from, --to
    and --predictions.

    The whole source is read and every year computed before anything is written; every file is
    then written in full under a temporary name before any takes its name, so that on any
    failure no file is replaced and no temporary file stays behind.  The work runs without the
    interpreter's lock.  What meanflux-build warns of (the end of the data, days without any
    observed flux in an averaging window) is issued as a RuntimeWarning.

    Returns the path of the combined file written (output as a str), or None when output is
    None.  Raises FileNotFoundError (or another OSError) when the source cannot be opened or an
    output cannot be written; ValueError, with meanflux-build's message, when a year asked for is
    not in the source or the years cannot be built into the files asked for, when the source
    breaks its format or holds no predictions when they are asked for, or when an output is the
    source or another output; MemoryError when the memory cannot be had.
    """
    path = _fs_path(source)
    # The library answers alike for a source it cannot open and one that breaks its format:
    # opening it here first raises the system's error for the former.
    if not _os.path.isdir(path):
        with open(path, "rb"):
            pass
    out = None if output is None else _fs_path(output)
    directory = None if yearly is None else _fs_path(yearly)
    warned = _core.build_files(path, out, directory, int(from_year or 0), int(to_year or 0),
                               bool(predictions))
    for line in warned.splitlines():
        _warnings.warn(line, RuntimeWarning, stacklevel=2)
    return out
