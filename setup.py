"""Builds the compiled core of the Python package with the project's CMake build, for the
setuptools backend of pyproject.toml: the version is the project's, from CMakeLists.txt."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    """Configures the project for the interpreter that runs pip and builds only the module."""

    def build_extension(self, ext):
        build = Path(self.build_temp).resolve() / "cmake"
        options = ["-DCMAKE_BUILD_TYPE=Release", "-DMEANFLUX_PYTHON=ON",
                   f"-DPython_EXECUTABLE={sys.executable}",
                   "-DMEANFLUX_BUILD_TESTS=OFF", "-DMEANFLUX_BUILD_BENCHMARKS=OFF"]
        try:  # pybind11 installed for Python (an isolated build's), else the system's CMake one
            import pybind11
            options.append(f"-Dpybind11_DIR={pybind11.get_cmake_dir()}")
        except ImportError:
            pass
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), *options], check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(["cmake", "--build", str(build), "--target", "meanflux_python",
                        "--parallel", jobs], check=True)
        built = next((build / "python" / "meanflux").glob("_core*"))
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


version = re.search(r"project\(meanflux\s+VERSION\s+([0-9.]+)",
                    (ROOT / "CMakeLists.txt").read_text()).group(1)
setup(version=version, ext_modules=[Extension("meanflux._core", sources=[])],
      cmdclass={"build_ext": CMakeBuild})
