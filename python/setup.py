"""Builds the quellix module with CMake from this source tree (no network needed):

    python3 -m pip install --no-build-isolation ./python

Needs cmake, ninja-build (or make), a C++20 compiler, zlib1g-dev, pybind11-dev, and the
headers, setuptools and wheel of the Python that runs pip (Debian: python3-dev,
python3-setuptools, python3-wheel, which python3-pip brings).
"""

import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent


def project_version() -> str:
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(quellix\s+VERSION\s+([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    """Configures the whole project with only the Python module on and builds that."""

    def build_extension(self, ext):
        build_dir = pathlib.Path(self.build_temp).resolve() / "cmake"
        build_dir.mkdir(parents=True, exist_ok=True)
        configure = [
            "cmake", "-S", str(ROOT), "-B", str(build_dir),
            "-DCMAKE_BUILD_TYPE=Release",
            f"-DPython_EXECUTABLE={sys.executable}",
            "-DQUELLIX_BUILD_PYTHON=ON", "-DQUELLIX_PYTHON_REQUIRED=ON",
            "-DQUELLIX_BUILD_JS=OFF", "-DQUELLIX_BUILD_TESTS=OFF", "-DQUELLIX_BUILD_BENCH=OFF",
            "-DQUELLIX_BUILD_TOOLS=OFF", "-DQUELLIX_BUILD_EXAMPLES=OFF", "-DQUELLIX_INSTALL=OFF",
        ]
        if shutil.which("ninja") and not (build_dir / "CMakeCache.txt").exists():
            configure += ["-G", "Ninja"]
        if shutil.which("ccache"):
            configure += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
        subprocess.run(configure, check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(["cmake", "--build", str(build_dir), "--target", "quellix_python", "-j", jobs],
                       check=True)
        built = next((build_dir / "python" / "quellix").glob("_quellix*"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    name="quellix",
    version=project_version(),
    description="Word division with Liang's patterns for 73 languages (hyph-utf8), in C++; pyphen's interface",
    long_description=(HERE / "README.md").read_text(encoding="utf-8"),
    long_description_content_type="text/markdown",
    license="MIT (code); each language's patterns carry their own licence",
    python_requires=">=3.8",
    packages=["quellix"],
    package_data={"quellix": ["_quellix.pyi", "py.typed"]},
    ext_modules=[Extension("quellix._quellix", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
