"""Errors and warnings as facetry-refine reports them: LoadError (a
ValueError) with the file and line, the loader's warnings as
FacetryWarning, the arrays' errors through the same builder, a level the
memory guard refuses as MemoryError with the surface left as it was, and
the arguments Python refuses."""

import os
import warnings

import numpy as np
import pytest

import facetry
from conftest import EXAMPLES, run_refine

SQUARE = [[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0]]

# A malformed file in each format; the line it fails on (None: the whole mesh).
MALFORMED = [
    ("bad.mesh", "numV = 2\n0 0 0\n1 1 x\nnumE = 0\n", 3),
    ("faces.mesh", "numV = 3\n0 0 0\n1 0 0\n0 1 0\nnumE = 3\nnumF = 1\n0 1 7 -1\n", 7),
    ("empty.mesh", "numV = 3\n0 0 0\n1 0 0\n0 1 0\nnumE = 0\nnumF = 0\n", None),
    ("range.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n# a comment\nf 1 2 9\n", 5),
    ("tag.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nt crease 2/1/0 0 1 -2\n", 5),
    ("noedge.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3\nt crease 2/1/0 0 3 1\n", 6),
    ("fan.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv -1 0 0\nv 0 -1 0\nf 1 2 3\nf 1 4 5\n", None),
    ("header.off", "OF\n3 1 0\n", 1),
    ("face.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 5\n", 6),
]


@pytest.mark.parametrize("name, text, line", MALFORMED)
def test_a_malformed_file_raises_load_error_naming_file_and_line(tmp_path, name, text, line):
    path = tmp_path / name
    path.write_text(text)
    done = run_refine(path)
    assert done.returncode == 255
    printed = done.stderr.strip()
    for attempt in (lambda: facetry.load(path), lambda: facetry.Surface(str(path))):
        with pytest.raises(facetry.LoadError) as raised:
            attempt()
        error = raised.value
        assert isinstance(error, ValueError)
        assert error.filename == str(path) and error.lineno == line
        # OBJ and OFF print the place themselves; the text format's and the
        # whole mesh's messages get it in front.
        place = f"{path}:{line}: " if line else f"{path}: "
        assert str(error) == (printed if printed.startswith(place) else place + printed)


def test_a_missing_file_raises_load_error_by_name(tmp_path):
    with pytest.raises(facetry.LoadError, match="^cannot open .*missing.obj$") as raised:
        facetry.load(tmp_path / "missing.obj")
    assert raised.value.filename is None and raised.value.lineno is None


def test_loader_warnings_are_facetry_warnings_with_facetry_refines_text(tmp_path):
    path = tmp_path / "dropped.obj"
    path.write_text("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 2 2\nf 1 2 3 4\nf 1 2\nf 2 3 3\nt hole 1/0/0 0\nt hole 1/0/0 1\n")
    printed = run_refine(path).stderr.splitlines()
    assert len(printed) == 3
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        mesh = facetry.load(path)
    assert [str(w.message) for w in caught] == printed
    assert all(w.category is facetry.FacetryWarning and issubclass(w.category, UserWarning) for w in caught)
    assert mesh.num_faces == 1
    # As errors, they stop the load.
    with warnings.catch_warnings():
        warnings.simplefilter("error", facetry.FacetryWarning)
        with pytest.raises(facetry.FacetryWarning, match="unknown tag"):
            facetry.load(path)


def test_faces_from_arrays_are_dropped_with_the_loaders_warnings():
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        mesh = facetry.ControlMesh(SQUARE, [[0, 1, 2, 3], [0, 1], [1, 2, 2], list(range(4)) * 6])
    assert [str(w.message) for w in caught] == [
        "parse error, vertex 2 valence out of range", "ERROR: Face 1 -- repeats a vertex",
        "PARSE ERROR: face 1 has too high valence"]
    assert mesh.num_faces == 1


# Each changes the square in one way; what the library says of it.
ARRAY_ERRORS = [
    (dict(points=[[0, 0, 0], [1, 0, np.nan], [1, 1, 0], [0, 1, 0]]), "point 1: coordinates 1 0 nan are not all finite"),
    (dict(faces=[[0, 1, 2, 4]]), "face 0: vertex index 4 out of range (4 vertices)"),
    (dict(faces=[[0, 1, 2, 2**40]]), "face 0: vertex index 1099511627776 out of range (4 vertices)"),
    (dict(faces=(np.array([4, 4]), np.array([0, 1, 2, 3]))), "the face sizes call for more indices than the 4 given"),
    (dict(creases=[[0, 2]], crease_sharpness=[1]), "crease 0: crease vertices 0 and 2 share no edge"),
    (dict(creases=[[0, 1]], crease_sharpness=[-1]), "crease 0: crease sharpness -1 is negative"),
    (dict(corners=[7], corner_sharpness=[1]), "corner 0: corner vertex index 7 out of range (4 vertices)"),
    (dict(faces=[]), "ERROR: the mesh has no faces"),
]


@pytest.mark.parametrize("change, message", ARRAY_ERRORS)
def test_array_errors_raise_load_error_with_the_builders_message(change, message):
    arguments = dict(points=SQUARE, faces=[[0, 1, 2, 3]]) | change
    with pytest.raises(facetry.LoadError) as raised:
        facetry.ControlMesh(**arguments)
    assert str(raised.value) == message and raised.value.filename is None


@pytest.mark.parametrize("arguments, error, match", [
    (dict(points=[[0, 0], [1, 0], [1, 1]], faces=[[0, 1, 2]]), ValueError, r"shape \(n, 3\)"),
    (dict(points=SQUARE, faces=[[0, 1, 2.5, 3]]), TypeError, "integers"),
    (dict(points=SQUARE, faces=[[0, 1, 2, 3]], uvs=np.zeros((3, 2))), ValueError, "one \\(u, v\\) per face corner"),
    (dict(points=SQUARE, faces=[[0, 1, 2, 3]], creases=[0, 1], crease_sharpness=1), ValueError, r"shape \(k, 2\)"),
])
def test_arguments_of_the_wrong_shape_or_kind_are_refused(arguments, error, match):
    with pytest.raises(error, match=match):
        facetry.ControlMesh(**arguments)


def test_a_refused_level_raises_memory_error_and_leaves_the_surface_as_it_was():
    # 128 MiB less the guard's margin holds level 7 of the torus, not level 8.
    path = os.path.join(EXAMPLES, "torus.mesh")
    printed = run_refine(path, "--level", 8, "--memory-limit", 128)
    assert printed.returncode == 1 and "level 8" in printed.stderr
    surface = facetry.Surface(facetry.load(path), memory_limit=128 * 2**20, threads=1)
    for _ in range(7):
        surface.subdivide()
    points, quads = surface.points(), surface.quads()
    with pytest.raises(MemoryError) as raised:
        surface.subdivide()
    assert str(raised.value) == printed.stderr.strip()
    assert surface.level == 7
    assert np.array_equal(surface.points(), points) and np.array_equal(surface.quads(), quads)
    surface.undivide()
    assert surface.level == 6


def test_surface_arguments_and_writes_that_cannot_be(tmp_path):
    surface = facetry.Surface(os.path.join(EXAMPLES, "cube.mesh"))
    with pytest.raises(IndexError, match="vertex 8 out of range"):
        surface.move_vertex(8, (0, 0, 0))
    with pytest.raises(ValueError, match="finite"):
        surface.move_vertex(0, (0, np.inf, 0))
    with pytest.raises(ValueError, match="must end in .obj or .off"):
        surface.write(tmp_path / "s.mesh")
    with pytest.raises(ValueError, match="normals need an .obj"):
        surface.write(tmp_path / "s.off", normals=True)
    with pytest.raises(OSError, match="^cannot write .*/no/such/dir/s.obj: "):
        surface.write(tmp_path / "no" / "such" / "dir" / "s.obj")
    for wrong in (dict(threads=0), dict(memory_limit=-1)):
        with pytest.raises(ValueError):
            facetry.Surface(os.path.join(EXAMPLES, "cube.mesh"), **wrong)
