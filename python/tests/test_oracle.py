"""The arrays from Python against facetry-refine's output, bit for bit: the
catalogue in every format at levels 0 to 3, the examples with their creases,
texture coordinates and limit surface, and the files Surface.write makes."""

import os

import numpy as np
import pytest

import facetry
from conftest import EXAMPLES, refined_obj, run_refine


def refined(path, level, **options):
    surface = facetry.Surface(path, **options)
    for _ in range(level):
        surface.subdivide()
    return surface


def test_catalogue_points_and_quads_are_facetry_refines(catalogue, tmp_path):
    for name, _, stem in catalogue:
        for level in range(4):
            expected = refined_obj(tmp_path, f"{stem}.obj", level)
            for extension in (".mesh", ".obj", ".off"):
                surface = refined(f"{stem}{extension}", level)
                points, quads = surface.points(), surface.quads()
                assert points.dtype == np.float32 and quads.dtype == np.int32
                assert np.array_equal(points, expected.points), (name, extension, level)
                assert np.array_equal(quads, expected.quads), (name, extension, level)
                assert (surface.num_points, surface.num_quads) == (len(points), len(quads))


def test_refine_is_the_surface_at_the_level_on_any_number_of_threads(tmp_path):
    path = os.path.join(EXAMPLES, "antiprism.mesh")
    expected = refined_obj(tmp_path, path, 3)
    for threads in (None, 1, 2, 5):
        points, quads = facetry.refine(path, 3, threads=threads)
        assert np.array_equal(points, expected.points) and np.array_equal(quads, expected.quads), threads
    mesh = facetry.load(path)
    points, quads = facetry.refine(mesh, 3)
    assert np.array_equal(points, expected.points) and np.array_equal(quads, expected.quads)
    with pytest.raises(ValueError):
        facetry.refine(mesh, -1)


# The creases, the limit surface and its normals, as --limit --normals write them.
@pytest.mark.parametrize("example", ["creased-cubes.obj", "antiprism.mesh", "patch.mesh", "torus.mesh", "patch-options.obj"])
def test_limit_positions_and_normals_are_facetry_refines(tmp_path, example):
    path = os.path.join(EXAMPLES, example)
    for level in range(3):
        expected = refined_obj(tmp_path, path, level, "--limit", "--normals")
        positions, normals = refined(path, level).limit()
        assert positions.dtype == np.float32 and normals.shape == positions.shape
        assert np.array_equal(positions, expected.points), (example, level)
        assert np.array_equal(normals, expected.normals), (example, level)


def write_textured_obj(path):
    """Two cubes' worth of faces with a (u, v) at every corner."""
    cube = "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\nv -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\nv 3 0 0\nv 4 0 0\nv 3 1 0\n"
    faces = [[1, 4, 3, 2], [5, 6, 7, 8], [1, 2, 6, 5], [3, 4, 8, 7], [1, 5, 8, 4], [2, 3, 7, 6], [9, 10, 11]]
    lines, uvs, corner = [], [], 0
    for face in faces:
        corners = []
        for v in face:
            corner += 1
            corners.append(f"{v}/{corner}")
            uvs.append(f"vt {0.1 * corner:.6f} {1 / (v + corner):.6f}")
        lines.append("f " + " ".join(corners))
    path.write_text(cube + "\n".join(lines + uvs) + "\n")


def test_texture_coordinates_are_facetry_refines_at_every_quad_corner(tmp_path):
    path = tmp_path / "textured.obj"
    write_textured_obj(path)
    for level in range(4):
        expected = refined_obj(tmp_path, path, level)
        uvs = refined(path, level).uvs()
        assert uvs.dtype == np.float32 and uvs.shape == (len(expected.quads), 4, 2)
        assert np.array_equal(uvs, expected.uvs), level
    assert refined(os.path.join(EXAMPLES, "cube.mesh"), 1).uvs() is None


@pytest.mark.parametrize("output, extra", [("s.obj", {}), ("s.off", {}), ("s.obj", {"limit": True, "normals": True}),
                                           ("s.off", {"limit": True})])
def test_written_files_are_facetry_refines_byte_for_byte(tmp_path, output, extra):
    path = os.path.join(EXAMPLES, "creased-cubes.obj")
    flags = [f"--{name}" for name in extra]
    expected = tmp_path / ("expected-" + output)
    assert run_refine(path, "--level", 2, "--output", expected, *flags).returncode == 0
    written = tmp_path / output
    refined(path, 2).write(written, **extra)
    assert written.read_bytes() == expected.read_bytes()
