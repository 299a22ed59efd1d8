"""Combined files for the Python package's tests, made by the project's own commands, and the C++
library's answers on them (the reference program)."""

import os
import shutil
import subprocess
from pathlib import Path

import pytest

COMMANDS = Path(os.environ["MEANFLUX_COMMANDS"])
REFERENCE = os.environ["MEANFLUX_PYTHON_REFERENCE"]
TEST_DATA = Path(os.environ["MEANFLUX_TEST_DATA"])
EXAMPLES = Path(os.environ["MEANFLUX_EXAMPLES"])

LAST_OBSERVED_2024 = 27105  # 18 March 2024, CelesTrak's last observed day in its March file


def run(args, cwd, stdin=""):
    done = subprocess.run(args, cwd=cwd, input=stdin, capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return done.stdout


def combined_1980(d: Path) -> Path:
    """1980, observed days only: computed from the bundled yearly files."""
    for year in (1979, 1980, 1981):
        shutil.copy(EXAMPLES / "data" / f"{year}.dat", d)
    run([COMMANDS / "meanflux"], d, "1980\n")
    run([COMMANDS / "meanflux-combine", "-o", "mean_flux.dat", "1980_m.dat"], d)
    return d / "mean_flux.dat"


def combined_2024(d: Path) -> Path:
    """1 January to 2 May 2024 from CelesTrak's file with its daily predictions after 18 March,
    the header naming the last observed day."""
    run([COMMANDS / "meanflux-import", "--from", "2023", "--predictions",
         TEST_DATA / "celestrak" / "SW-All.csv"], d)
    (d / "2025.dat").write_text("")
    run([COMMANDS / "meanflux"], d, "2024\n")
    run([COMMANDS / "meanflux-combine", "-o", "combined.dat", "2024_m.dat"], d)
    text = (d / "combined.dat").read_bytes()
    (d / "mean_flux.dat").write_bytes(text[:10] + b" %05d" % LAST_OBSERVED_2024 + text[10:])
    return d / "mean_flux.dat"


@pytest.fixture(scope="session", params=["1980", "2024 predicted"])
def combined(request, tmp_path_factory):
    make = combined_1980 if request.param == "1980" else combined_2024
    return make(tmp_path_factory.mktemp(request.param.replace(" ", "_")))


@pytest.fixture(scope="session")
def predicted(tmp_path_factory):
    return combined_2024(tmp_path_factory.mktemp("predicted"))


def reference(path, lines):
    """The C++ library's answers to lines "w DAY SECONDS" and "v DAY", each a list of numbers:
    values exact from their hexadecimal notation, counts and flags as integers."""
    out = run([REFERENCE, str(path)], None, "".join(line + "\n" for line in lines))
    return [[float.fromhex(x) if "p" in x or "nan" in x else int(x) for x in row.split()]
            for row in out.splitlines()]
