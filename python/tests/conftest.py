"""What the module's tests share: the real facetry-refine as the oracle, the
tests' mesh catalogue written to files, and a reader for the OBJ files
facetry-refine writes (which is all a test needs of OBJ: v, vt, vn, f)."""

import os
import subprocess

import numpy as np
import pytest

REFINE = os.environ.get("FACETRY_REFINE", "")
SOURCE_DIR = os.environ.get("FACETRY_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
EXAMPLES = os.path.join(SOURCE_DIR, "examples")


def run_refine(*args):
    """facetry-refine with these arguments; its completed process."""
    assert REFINE, "FACETRY_REFINE names the facetry-refine to compare with"
    return subprocess.run([REFINE, *map(str, args)], capture_output=True, text=True, check=False)


class Obj:
    """An OBJ file as facetry-refine writes it: points, quads (0-based) and,
    where present, texture coordinates per quad corner and normals."""

    def __init__(self, path):
        points, normals, uvs, quads, quad_uvs = [], [], [], [], []
        with open(path, encoding="ascii") as text:
            for line in text:
                words = line.split()
                if not words:
                    continue
                if words[0] == "v":
                    points.append([float(w) for w in words[1:4]])
                elif words[0] == "vn":
                    normals.append([float(w) for w in words[1:4]])
                elif words[0] == "vt":
                    uvs.append([float(w) for w in words[1:3]])
                elif words[0] == "f":
                    corners = [w.split("/") for w in words[1:]]
                    quads.append([int(c[0]) - 1 for c in corners])
                    if len(corners[0]) > 1 and corners[0][1]:
                        quad_uvs.append([int(c[1]) - 1 for c in corners])
        # Nine significant digits read back as the same floats.
        self.points = np.array(points, dtype=np.float32).reshape(-1, 3)
        self.normals = np.array(normals, dtype=np.float32).reshape(-1, 3)
        self.quads = np.array(quads, dtype=np.int32).reshape(-1, 4)
        self.uvs = None
        if quad_uvs:
            self.uvs = np.array(uvs, dtype=np.float32)[np.array(quad_uvs)]


def refined_obj(tmp_path, mesh_path, level, *extra):
    """facetry-refine's OBJ of `mesh_path` at `level`, read."""
    out = tmp_path / f"refined-{os.path.basename(str(mesh_path))}-{level}.obj"
    done = run_refine(mesh_path, "--level", level, "--output", out, *extra)
    assert done.returncode == 0, done.stderr
    return Obj(out)


@pytest.fixture(scope="session")
def catalogue(tmp_path_factory):
    """The catalogue written out: a list of (name, all_quads, path without
    extension); each mesh is there as .mesh, .obj and .off."""
    directory = tmp_path_factory.mktemp("catalogue")
    done = subprocess.run([os.environ["FACETRY_CATALOGUE_FILES"], str(directory)], capture_output=True, text=True,
                          check=True)
    entries = []
    for line in done.stdout.splitlines():
        name, quads = line.split()
        entries.append((name, quads == "1", directory / name))
    assert len(entries) >= 20
    return entries
