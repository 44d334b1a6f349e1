"""Level control and drags from Python: undivide and reset give the levels
facetry-refine gives; a moved control vertex carries into the surface as a
fresh surface over the moved mesh has it, and a drag back returns it."""

import os

import numpy as np

import facetry
from conftest import EXAMPLES, refined_obj


def test_undivide_and_reset_give_the_levels_facetry_refine_gives(tmp_path):
    path = os.path.join(EXAMPLES, "creased-cubes.obj")
    expected = [refined_obj(tmp_path, path, level) for level in range(4)]
    surface = facetry.Surface(path)
    for _ in range(3):
        surface.subdivide()
    for level in (2, 1, 0, 0):
        surface.undivide()
        assert surface.level == level
        assert np.array_equal(surface.points(), expected[level].points)
        assert np.array_equal(surface.quads(), expected[level].quads)
    surface.subdivide()
    surface.subdivide()
    surface.reset()
    assert surface.level == 0 and np.array_equal(surface.points(), expected[0].points)


def fresh(points, mesh, level):
    """A new surface over `mesh`'s faces and tags with these control points."""
    moved = facetry.ControlMesh(points, mesh.faces, creases=mesh.creases[0], crease_sharpness=mesh.creases[1],
                                corners=mesh.corners[0], corner_sharpness=mesh.corners[1])
    surface = facetry.Surface(moved)
    for _ in range(level):
        surface.subdivide()
    return surface


# The drag updates what the vertex reaches in place, the control faces'
# centres by the difference: equal to a fresh surface up to rounding.
def test_a_moved_vertex_carries_into_every_level_as_a_fresh_surface_has_it():
    for example in ("antiprism.mesh", "creased-cubes.obj", "patch.mesh"):
        mesh = facetry.load(os.path.join(EXAMPLES, example))
        size = float(np.linalg.norm(mesh.points.max(axis=0) - mesh.points.min(axis=0)))
        surface = facetry.Surface(mesh)
        surface.subdivide()
        surface.subdivide()
        points = mesh.points
        for vertex, offset in ((0, (0.3, -0.2, 0.5)), (mesh.num_vertices - 1, (-0.1, 0.4, 0.2)), (0, (0, 0.1, 0))):
            points[vertex] += offset
            surface.move_vertex(vertex, points[vertex])
            assert np.array_equal(surface.control_points(), points)
            expected = fresh(points, mesh, 2)
            assert np.array_equal(surface.quads(), expected.quads())
            assert np.allclose(surface.points(), expected.points(), rtol=0, atol=1e-5 * size), example
        surface.subdivide()
        assert np.allclose(surface.points(), fresh(points, mesh, 3).points(), rtol=0, atol=1e-5 * size), example


def test_a_drag_back_returns_the_surface():
    mesh = facetry.load(os.path.join(EXAMPLES, "torus.mesh"))
    surface = facetry.Surface(mesh)
    for _ in range(3):
        surface.subdivide()
    start = surface.points()
    origin = mesh.points[7].copy()
    for step in range(1, 6):
        surface.move_vertex(7, origin + 0.1 * step)
    assert not np.allclose(surface.points(), start, atol=1e-3)
    surface.move_vertex(7, origin)
    assert np.allclose(surface.points(), start, rtol=0, atol=1e-6)
