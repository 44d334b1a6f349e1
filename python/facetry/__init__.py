"""Facetry: exact Catmull-Clark subdivision surfaces with semi-sharp creases,
texture coordinates and limit positions and normals, NumPy arrays in and out.

    mesh = facetry.load("cube.obj")           # or facetry.ControlMesh(points, faces, ...)
    points, quads = facetry.refine(mesh, 3)   # (n, 3) float32, (m, 4) int32

Loading reports dropped faces and unknown tags as FacetryWarning; a file or
arrays that cannot make a control mesh raise LoadError, a ValueError whose
message names the file and line (its filename and lineno attributes too). A
level that does not fit in memory raises MemoryError and leaves the surface
as it was. The library works with the interpreter lock released.
"""

import numpy  # noqa: F401 - imported here rather than by the first array a call returns

from ._facetry import ControlMesh, FacetryWarning, LoadError, Surface, load

__all__ = ["ControlMesh", "FacetryWarning", "LoadError", "Surface", "load", "refine"]


def refine(mesh, level, *, threads=None, memory_limit=None):
    """The welded surface of `mesh` (a ControlMesh or a file name) at `level`,
    as (points, quads): Surface(mesh) subdivided `level` times, its points()
    and quads()."""
    if level < 0:
        raise ValueError("level must not be negative")
    surface = Surface(mesh, threads=threads, memory_limit=memory_limit)
    for _ in range(level):
        surface.subdivide()
    return surface.points(), surface.quads()
