#!/usr/bin/env python3
"""facetry.refine from Python against the same work through the C++ library
(facetry_arraysbench): load the file, build, subdivide to the level, the
points and quads as arrays. Each run is a fresh process, the kinds taking
turns; times are the work alone (the interpreter's start and the import are
left out), peaks the resident high-water mark (getrusage), also as growth
over what the process held before the work.

    python3 bench/python_refine.py BENCH_BINARY MESH_FILE [--level 3] [--repetitions 7]
"""

import argparse
import statistics
import subprocess
import sys

CHILD = r"""
import resource, sys, time
import facetry
before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
start = time.perf_counter()
points, quads = facetry.refine(sys.argv[1], int(sys.argv[2]))
seconds = time.perf_counter() - start
print(f"{seconds:.6f} {points.nbytes + quads.nbytes} {before} {resource.getrusage(resource.RUSAGE_SELF).ru_maxrss}")
"""


def measure(command):
    done = subprocess.run(command, capture_output=True, text=True, check=True)
    seconds, array_bytes, before, peak = done.stdout.split()
    return float(seconds), int(array_bytes), int(before), int(peak)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bench")
    parser.add_argument("mesh")
    parser.add_argument("--level", type=int, default=3)
    parser.add_argument("--repetitions", type=int, default=7)
    args = parser.parse_args()
    kinds = {
        "Python facetry.refine": [sys.executable, "-c", CHILD, args.mesh, str(args.level)],
        "C++ library, arrays": [args.bench, args.mesh, str(args.level)],
        "C++ library, no arrays": [args.bench, args.mesh, str(args.level), "--no-arrays"],
    }
    runs = {name: [] for name in kinds}
    for _ in range(args.repetitions):
        for name, command in kinds.items():
            runs[name].append(measure(command))
    print(f"{args.mesh} at level {args.level}, {args.repetitions} runs each, medians")
    print(f"{'':24} {'seconds':>8} {'x C++':>6} {'peak MiB':>9} {'growth MiB':>11} {'arrays MiB':>11}")
    cpp = statistics.median(r[0] for r in runs["C++ library, arrays"])
    for name, samples in runs.items():
        seconds = statistics.median(r[0] for r in samples)
        peak = statistics.median(r[3] for r in samples) / 1024
        growth = statistics.median(r[3] - r[2] for r in samples) / 1024
        arrays = samples[0][1] / 2**20
        print(f"{name:24} {seconds:8.3f} {seconds / cpp:6.3f} {peak:9.1f} {growth:11.1f} {arrays:11.1f}")


if __name__ == "__main__":
    main()
