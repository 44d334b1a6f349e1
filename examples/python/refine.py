#!/usr/bin/env python3
"""Refines a control mesh with Facetry and keeps the surface.

    python3 examples/python/refine.py INPUT [--level L] [--output FILE] [--plot FILE.png]

INPUT is a .obj, .off or text-format mesh. FILE ending in .obj or .off gets
the surface as facetry-refine writes it; .npz gets the arrays (points,
quads and, with the limit surface, limit and normals). --plot draws the
surface's quads with matplotlib, when it is installed.
"""

import argparse
import sys

import numpy as np

import facetry


def plot(points, quads, path):
    try:
        import matplotlib

        matplotlib.use("Agg")
        from matplotlib import pyplot
        from mpl_toolkits.mplot3d.art3d import Poly3DCollection
    except ImportError:
        print("matplotlib is not installed: no picture", file=sys.stderr)
        return
    axes = pyplot.figure(figsize=(6, 6)).add_subplot(projection="3d")
    axes.add_collection3d(Poly3DCollection(points[quads], facecolor="lightgrey", edgecolor="dimgrey", linewidth=0.2))
    low, high = points.min(axis=0), points.max(axis=0)
    axes.set(xlim=(low[0], high[0]), ylim=(low[1], high[1]), zlim=(low[2], high[2]))
    axes.set_box_aspect(high - low)
    pyplot.savefig(path, dpi=150)


def main():
    parser = argparse.ArgumentParser(description="Refine a control mesh with Facetry.")
    parser.add_argument("input")
    parser.add_argument("--level", type=int, default=2)
    parser.add_argument("--output")
    parser.add_argument("--plot")
    args = parser.parse_args()

    mesh = facetry.load(args.input)  # dropped faces come as FacetryWarning
    surface = facetry.Surface(mesh)
    for _ in range(args.level):
        surface.subdivide()
    points, quads = surface.points(), surface.quads()
    print(f"level {surface.level}: {len(points)} points, {len(quads)} quads")
    if args.output and args.output.endswith(".npz"):
        limit, normals = surface.limit()
        np.savez(args.output, points=points, quads=quads, limit=limit, normals=normals)
    elif args.output:
        surface.write(args.output)
    if args.plot:
        plot(points, quads, args.plot)


if __name__ == "__main__":
    try:
        main()
    except (facetry.LoadError, MemoryError, OSError) as error:
        sys.exit(f"refine.py: {error}")
