"""examples/python/refine.py as a user runs it: the OBJ it saves is
facetry-refine's, its NPZ holds the surface's arrays, a malformed input
ends it with the error's message."""

import os
import subprocess
import sys

import numpy as np

from conftest import EXAMPLES, SOURCE_DIR, Obj, run_refine

SCRIPT = os.path.join(SOURCE_DIR, "examples", "python", "refine.py")


def run(*args):
    return subprocess.run([sys.executable, SCRIPT, *map(str, args)], capture_output=True, text=True, check=False)


def test_the_example_saves_what_facetry_refine_writes(tmp_path):
    path = os.path.join(EXAMPLES, "antiprism.mesh")
    expected = tmp_path / "expected.obj"
    assert run_refine(path, "--level", 3, "--output", expected).returncode == 0
    done = run(path, "--level", 3, "--output", tmp_path / "saved.obj", "--plot", tmp_path / "plot.png")
    assert done.returncode == 0, done.stderr
    obj = Obj(expected)
    assert done.stdout == f"level 3: {len(obj.points)} points, {len(obj.quads)} quads\n"
    assert (tmp_path / "saved.obj").read_bytes() == expected.read_bytes()
    # A picture, or the line that says why there is none.
    assert (tmp_path / "plot.png").exists() or "matplotlib is not installed" in done.stderr
    assert run(path, "--level", 3, "--output", tmp_path / "arrays.npz").returncode == 0
    arrays = np.load(tmp_path / "arrays.npz")
    assert np.array_equal(arrays["points"], obj.points) and np.array_equal(arrays["quads"], obj.quads)
    assert arrays["limit"].shape == arrays["normals"].shape == obj.points.shape


def test_the_example_ends_with_the_load_error(tmp_path):
    bad = tmp_path / "bad.obj"
    bad.write_text("v 0 0 0\nf 1 2 3\n")
    done = run(bad)
    assert done.returncode == 1
    assert done.stderr == f"refine.py: {bad}:2: face index 3 out of range (1 vertices)\n"
