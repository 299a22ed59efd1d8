"""The Python package against the C++ library: the same values bit for bit, every input form of
epochs and dates, the exceptions, scalars in and out."""

import datetime as dt
import os
import re
import signal
import subprocess
import time
import warnings

import numpy as np
import pytest

import meanflux
from conftest import COMMANDS, LAST_OBSERVED_2024, TEST_DATA, reference, run

WEATHER_FLOATS = ["f107_obs_prev_day", "f107_adj_prev_day", "f107_gauss_mean",
                  "f107_arith_mean", "f107_obs_mean81", "ap_daily"]
WEATHER_KEYS = {"result", *WEATHER_FLOATS, "mean81_days", "predicted", "kp", "ap_history"}
VALUE_KEYS = {"result", "kp", "kp_sum", "ap", "f107_obs", "f107_adj", "gauss_mean", "arith_mean"}


def bits(x):
    """Doubles as their bit patterns, so that equality is exact and NaN equals NaN."""
    return np.ascontiguousarray(x, dtype=np.float64).view(np.uint64)


def expected_weather(rows):
    """The reference rows as the package's dict, NaN, 0 and False where there is no value."""
    n = len(rows)
    out = {k: np.full(n, np.nan) for k in WEATHER_FLOATS}
    out.update(result=np.zeros(n, np.int32), mean81_days=np.zeros(n, np.int32),
               predicted=np.zeros(n, bool), kp=np.full((n, 8), np.nan),
               ap_history=np.full((n, 7), np.nan))
    for i, row in enumerate(rows):
        out["result"][i] = row[0]
        if len(row) > 1:
            for k, v in zip(WEATHER_FLOATS, row[1:7]):
                out[k][i] = v
            out["kp"][i], out["ap_history"][i] = row[7:15], row[15:22]
            out["mean81_days"][i], out["predicted"][i] = row[22], row[23]
    return out


def assert_same(got, want):
    assert set(got) == set(want)
    for k, v in want.items():
        if np.asarray(v).dtype == np.float64:
            np.testing.assert_array_equal(bits(got[k]), bits(v), err_msg=k)
        else:
            np.testing.assert_array_equal(got[k], v, err_msg=k)
            assert np.asarray(got[k]).dtype == np.asarray(v).dtype, k


def table_days(t):
    first = meanflux.day_number(t.first_day)
    return first, first + (t.last_day - t.first_day).days


# Every day of the file and a few days beyond, at instants on the edges of days and of
# three-hour intervals and within them: the edges of the table, the shortened 81-day means and,
# in the 2024 file, every predicted day.
SECONDS = [0.0, 10799.999999, 10800.0, 45000.25, 86399.5, -0.5, 86400.0]


def test_space_weather_equals_the_library_bit_for_bit(combined):
    t = meanflux.Table(combined)
    first, last = table_days(t)
    days = np.repeat(np.arange(first - 4, last + 5, dtype=np.int32), len(SECONDS))
    seconds = np.tile(SECONDS, len(days) // len(SECONDS))
    want = expected_weather(
        reference(combined, [f"w {d} {s.hex()}" for d, s in zip(days, seconds)]))
    assert set(want["result"]) >= {-1, 2}
    assert_same(t.space_weather_at(days, seconds), want)


def test_values_equal_the_library_bit_for_bit(combined):
    t = meanflux.Table(combined)
    first, last = table_days(t)
    days = np.arange(first - 2, last + 3, dtype=np.int32)
    rows = reference(combined, [f"v {d}" for d in days])
    want = {k: np.full(len(days), np.nan) for k in VALUE_KEYS - {"result", "kp"}}
    want.update(result=np.array([r[0] for r in rows], np.int32), kp=np.full((len(days), 8), np.nan))
    for i, row in enumerate(rows):
        if len(row) > 1:
            want["kp"][i] = row[1:9]
            for k, v in zip(["kp_sum", "ap", "f107_obs", "f107_adj", "gauss_mean", "arith_mean"],
                            row[9:]):
                want[k][i] = v
    dates = np.datetime64("1950-01-01") + days.astype("timedelta64[D]")
    assert_same(t.values(dates), want)


def test_table_days_and_predictions(predicted):
    t = meanflux.Table(predicted)
    assert (t.first_day, t.last_day) == (dt.date(2024, 1, 1), dt.date(2024, 5, 2))
    assert meanflux.day_number(t.last_observed_day) == LAST_OBSERVED_2024
    w = t.space_weather(["2024-03-18T12:00", "2024-04-20T12:00", "2024-01-20T12:00"])
    assert w["predicted"].tolist() == [True, True, False]
    assert w["result"].tolist() == [2, 2, 2]
    assert w["mean81_days"].tolist() == [81, 53, 60]


# One instant, 29 February 2024 06:30:15.25 UT, in every form an epoch may take.
INSTANT = (meanflux.day_number("2024-02-29"), 23415.25)
EPOCH_FORMS = {
    "datetime64[ns]": np.array(["2024-02-29T06:30:15.250"], "datetime64[ns]"),
    "datetime64[us]": np.array(["2024-02-29T06:30:15.250"], "datetime64[us]"),
    "datetime64[ms]": np.array(["2024-02-29T06:30:15.250"], "datetime64[ms]"),
    "datetime64 scalar": np.datetime64("2024-02-29T06:30:15.250"),
    "datetime": dt.datetime(2024, 2, 29, 6, 30, 15, 250000),
    "aware datetime": dt.datetime(2024, 2, 29, 8, 30, 15, 250000,
                                  tzinfo=dt.timezone(dt.timedelta(hours=2))),
    "ISO text": "2024-02-29T06:30:15.25Z",
    "ISO texts": ["2024-02-29T06:30:15.25"],
    "numpy texts": np.array(["2024-02-29T06:30:15.25"]),
    "mixed list": [dt.datetime(2024, 2, 29, 6, 30, 15, 250000), "2024-02-29T06:30:15.25"],
}


@pytest.mark.parametrize("form", EPOCH_FORMS, ids=list(EPOCH_FORMS))
def test_every_form_of_epochs(predicted, form):
    t = meanflux.Table(predicted)
    epochs = EPOCH_FORMS[form]
    got = t.space_weather(epochs)
    want = t.space_weather_at(*INSTANT)
    for k, v in want.items():
        g = np.asarray(got[k])
        if g.ndim > np.ndim(v):
            g = g[-1]
        np.testing.assert_array_equal(bits(g) if g.dtype == np.float64 else g,
                                      bits(v) if g.dtype == np.float64 else v, err_msg=k)


@pytest.mark.parametrize("unit,seconds", [
    ("h", 6 * 3600.0), ("m", 6 * 3600.0 + 30 * 60), ("s", 23415.0), ("D", 0.0)])
def test_coarse_units_and_days_before_1970(predicted, unit, seconds):
    t = meanflux.Table(predicted)
    e = np.array(["2024-02-29T06:30:15", "1965-02-28T06:30:15"], "datetime64[s]").astype(
        f"datetime64[{unit}]")
    got = t.space_weather(e)
    want = t.space_weather_at([INSTANT[0], meanflux.day_number("1965-02-28")], [seconds] * 2)
    assert_same(got, want)


DATE_FORMS = {
    "datetime64[D]": np.array(["2024-02-29", "1980-07-14"], "datetime64[D]"),
    "dates": [dt.date(2024, 2, 29), dt.date(1980, 7, 14)],
    "ISO texts": ["2024-02-29", "1980-07-14"],
}


@pytest.mark.parametrize("form", DATE_FORMS, ids=list(DATE_FORMS))
def test_every_form_of_dates(predicted, form):
    t = meanflux.Table(predicted)
    assert meanflux.day_number(DATE_FORMS[form]).tolist() == [27087, 11152]
    got = t.values(DATE_FORMS[form])
    assert got["result"].tolist() == [0, -1]
    assert np.isnan(got["kp"][1]).all() and not np.isnan(got["kp"][0]).any()


def test_scalar_in_scalar_out(predicted):
    t = meanflux.Table(predicted)
    w = t.space_weather("2024-02-29T06:30")
    assert set(w) == WEATHER_KEYS
    assert isinstance(w["result"], int) and isinstance(w["predicted"], bool)
    assert isinstance(w["f107_obs_mean81"], float) and isinstance(w["mean81_days"], int)
    assert w["kp"].shape == (8,) and w["ap_history"].shape == (7,)
    v = t.values(dt.date(2024, 2, 29))
    assert set(v) == VALUE_KEYS and isinstance(v["ap"], float) and v["kp"].shape == (8,)
    assert meanflux.day_number(dt.date(1950, 1, 1)) == 0
    grid = t.space_weather_at(np.full((2, 3), INSTANT[0]), INSTANT[1])
    assert grid["kp"].shape == (2, 3, 8) and grid["result"].shape == (2, 3)


def test_version_is_the_projects():
    assert meanflux.__version__ == os.environ["MEANFLUX_VERSION"]


@pytest.mark.parametrize("make,error", [
    (lambda d: d / "absent.dat", FileNotFoundError),
    (lambda d: d, OSError),  # a directory
    (lambda d: (d / "text.dat").write_text("not a mean-flux file\n") and d / "text.dat",
     ValueError),
    (lambda d: (d / "empty.dat").write_text("") or d / "empty.dat", ValueError),
])
def test_files_that_cannot_be_loaded(tmp_path, make, error):
    with pytest.raises(error, match=re.escape(str(tmp_path))):
        meanflux.Table(make(tmp_path))


def test_table_from_source_is_that_of_meanflux_builds_file(tmp_path):
    source = TEST_DATA / "celestrak" / "SW-All.csv"
    run([COMMANDS / "meanflux-build", "--predictions", "--from", "2023", "-o", "built.dat",
         source], tmp_path)
    loaded = meanflux.Table(tmp_path / "built.dat")
    built = meanflux.Table.from_source(source, predictions=True, from_year=2023)
    assert (built.first_day, built.last_day, built.last_observed_day) == (
        loaded.first_day, loaded.last_day, loaded.last_observed_day)
    assert built.last_observed_day < built.last_day
    days = np.arange(meanflux.day_number(loaded.first_day),
                     meanflux.day_number(loaded.last_day) + 1)
    for name, got in built.space_weather_at(days, 43200.0).items():
        np.testing.assert_array_equal(got, loaded.space_weather_at(days, 43200.0)[name])


@pytest.mark.parametrize("source,options,error", [
    ("absent.csv", {}, FileNotFoundError),
    ("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt", {"predictions": True}, ValueError),
    ("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt", {"from_year": 1979}, ValueError),
])
def test_sources_that_give_no_table(source, options, error):
    with pytest.raises(error, match=re.escape(str(TEST_DATA))):
        meanflux.Table.from_source(TEST_DATA / source, **options)


@pytest.mark.parametrize("call,error", [
    (lambda t: t.space_weather("2024-02-30"), ValueError),
    (lambda t: t.space_weather(["2024-02-29", "yesterday"]), ValueError),
    (lambda t: t.space_weather(np.array(["NaT"], "datetime64[s]")), ValueError),
    (lambda t: t.space_weather(3.5), TypeError),
    (lambda t: t.values("2024-02-29T06:00"), ValueError),
    (lambda t: t.space_weather_at(1.5, 0.0), TypeError),
    (lambda t: t.space_weather_at(2**40, 0.0), ValueError),
])
def test_inputs_refused(predicted, call, error):
    with pytest.raises(error):
        call(meanflux.Table(predicted))


def test_no_value_where_there_is_no_result(predicted):
    t = meanflux.Table(predicted)
    w = t.space_weather_at([0, 27087], [0.0, float("nan")])
    assert w["result"].tolist() == [-1, -1]
    assert np.isnan(w["kp"]).all() and np.isnan(w["f107_obs_mean81"]).all()
    assert w["mean81_days"].tolist() == [0, 0] and not w["predicted"].any()


def test_large_results_stay_apart(predicted):
    # Outputs of 100 000 epochs take memory that later calls reuse once its arrays are gone:
    # results still held must never change.
    t = meanflux.Table(predicted)
    rng = np.random.default_rng(27087)
    days = [rng.integers(27030, 27160, 100_000, dtype=np.int32) for _ in range(3)]
    seconds = [rng.uniform(0.0, 86400.0, 100_000) for _ in range(3)]
    first = t.space_weather_at(days[0], seconds[0])
    copy = {k: v.copy() for k, v in first.items()}
    second = t.space_weather_at(days[1], seconds[1])
    del first
    third = t.space_weather_at(days[2], seconds[2])
    again = t.space_weather_at(days[0], seconds[0])
    assert_same(again, copy)
    assert_same(second, t.space_weather_at(days[1], seconds[1]))
    assert_same(third, t.space_weather_at(days[2], seconds[2]))


# meanflux.build against meanflux-build on the same source and options: the same bytes in every
# file, and the program's warnings as RuntimeWarnings.
BUILDS = {
    "CelesTrak, predictions, yearly": (
        "celestrak/SW-All.csv", {"from_year": 2023, "predictions": True, "yearly": "y"},
        ["--from", "2023", "--predictions", "--yearly", "y"]),
    "CelesTrak, observed": ("celestrak/SW-All.csv", {"from_year": 2020, "to_year": 2023},
                            ["--from", "2020", "--to", "2023"]),
    "GFZ": ("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt", {}, []),
    "directory, before 1950 into yearly files only": (
        "kp_ap", {"from_year": 1946, "to_year": 1948, "yearly": "y", "output": None},
        ["--from", "1946", "--to", "1948", "--yearly", "y"]),
}


def files_under(d):
    return {p.relative_to(d): p.read_bytes() for p in sorted(d.rglob("*")) if p.is_file()}


@pytest.mark.parametrize("name", BUILDS, ids=list(BUILDS))
def test_build_writes_the_files_of_meanflux_build(tmp_path, name):
    source, options, args = BUILDS[name]
    source = TEST_DATA / source
    by_program, by_python = tmp_path / "program", tmp_path / "python"
    by_program.mkdir()
    by_python.mkdir()
    done = subprocess.run([COMMANDS / "meanflux-build", *args, source], cwd=by_program,
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    options = {k: (str(by_python / v) if k in ("yearly", "output") and v else v)
               for k, v in options.items()}
    options.setdefault("output", str(by_python / "mean_flux.dat"))
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        got = meanflux.build(source, **options)
    assert got == options["output"]
    assert "".join(f"{w.message}\n" for w in caught) == done.stderr
    assert files_under(by_python) == files_under(by_program) != {}


@pytest.mark.parametrize("source,options,error,words", [
    ("absent.csv", {}, FileNotFoundError, "absent.csv"),
    ("celestrak/SW-All.csv", {"output": "no/such/dir/mf.dat"}, FileNotFoundError, "no/such/dir"),
    ("celestrak/SW-All.csv", {"yearly": "mf.dat/y"}, OSError, "cannot create the directory"),
    ("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt", {"predictions": True}, ValueError, "no predictions"),
    ("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt", {"from_year": 1979}, ValueError, "1978"),
    ("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt", {"from_year": 1945}, ValueError, "1950"),
    ("gfz/Kp_ap_Ap_SN_F107_1979-1981.txt", {"from_year": 1981, "to_year": 1980}, ValueError,
     "after"),
    ("celestrak/SW-All.csv", {"output": "src.csv"}, ValueError, "the same file as the input"),
    ("celestrak/SW-All.csv", {"output": None}, ValueError, "no file asked for"),
])
def test_build_failures_leave_nothing_behind(tmp_path, source, options, error, words):
    (tmp_path / "mf.dat").write_bytes(b"kept\n")
    os.symlink(TEST_DATA / "celestrak" / "SW-All.csv", tmp_path / "src.csv")
    options = {k: (str(tmp_path / v) if k in ("yearly", "output") and v else v)
               for k, v in options.items()}
    options.setdefault("output", str(tmp_path / "mf.dat"))
    before = files_under(tmp_path)
    with pytest.raises(error, match=re.escape(words)) as raised:
        meanflux.build(TEST_DATA / source, **options)
    assert "\n" not in str(raised.value)  # the failure alone, not the warnings before it
    assert files_under(tmp_path) == before
    assert sorted(p.name for p in tmp_path.iterdir()) == ["mf.dat", "src.csv"]


def test_build_leaves_the_interpreters_signal_handling_alone(tmp_path):
    meanflux.build(TEST_DATA / "celestrak" / "SW-All.csv", tmp_path / "mf.dat", from_year=2023)
    assert signal.getsignal(signal.SIGINT) is signal.default_int_handler
    with pytest.raises(KeyboardInterrupt):
        os.kill(os.getpid(), signal.SIGINT)
        time.sleep(1)
