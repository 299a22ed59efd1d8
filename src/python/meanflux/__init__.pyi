"""Daily solar flux and geomagnetic activity for thermosphere density models."""

import datetime
import os
from typing import Any, Optional, Sequence, Union

import numpy as np
import numpy.typing as npt

__version__: str

Epoch = Union[str, datetime.date, datetime.datetime, np.datetime64]
Epochs = Union[Epoch, Sequence[Epoch], npt.NDArray[Any]]
Date = Union[str, datetime.date, np.datetime64]
Dates = Union[Date, Sequence[Date], npt.NDArray[Any]]

class Table:
    """A combined mean-flux data file (mean_flux.dat) loaded into memory."""

    path: str
    def __init__(self, path: Union[str, os.PathLike[str]]) -> None: ...
    @classmethod
    def from_source(
        cls,
        source: Union[str, os.PathLike[str]],
        predictions: bool = ...,
        from_year: Optional[int] = ...,
        to_year: Optional[int] = ...,
    ) -> "Table": ...
    @property
    def first_day(self) -> datetime.date: ...
    @property
    def last_day(self) -> datetime.date: ...
    @property
    def last_observed_day(self) -> datetime.date: ...
    def space_weather_at(
        self, day_numbers: Union[int, npt.ArrayLike], seconds: Union[float, npt.ArrayLike]
    ) -> dict[str, Any]:
        """Density-model inputs at day numbers and seconds of the day (UT): result,
        f107_obs_prev_day, f107_adj_prev_day, f107_gauss_mean, f107_arith_mean,
        f107_obs_mean81, mean81_days, predicted, kp (N x 8), ap_daily, ap_history (N x 7)."""
    def space_weather(self, epochs: Epochs) -> dict[str, Any]:
        """Density-model inputs at epochs: datetime64 of any unit, datetime, date or ISO 8601."""
    def values(self, dates: Dates) -> dict[str, Any]:
        """Each date's record values: result, kp (N x 8), kp_sum, ap, f107_obs, f107_adj,
        gauss_mean, arith_mean."""

def build(
    source: Union[str, os.PathLike[str]],
    output: Optional[Union[str, os.PathLike[str]]] = ...,
    yearly: Optional[Union[str, os.PathLike[str]]] = ...,
    from_year: Optional[int] = ...,
    to_year: Optional[int] = ...,
    predictions: bool = ...,
) -> Optional[str]:
    """Write meanflux-build's files (the combined file, and each year's <yyyy>_m.dat into
    yearly when given); returns the combined file's path, or None when output is None."""

def day_number(date: Dates) -> Union[int, npt.NDArray[np.int32]]:
    """Days from 1 January 1950 (day 0) of a date, or of each of an array of dates."""
