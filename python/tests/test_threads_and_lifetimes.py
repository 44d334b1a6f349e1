"""The interpreter lock released while the library works (another Python
thread runs meanwhile), one surface used from two threads, and lifetimes:
arrays own their memory and outlive the surface, a surface keeps no
reference to the mesh it was made from, and calls leak no references."""

import gc
import os
import sys
import threading
import time
import tracemalloc
import weakref

import numpy as np
import pytest

import facetry
from conftest import EXAMPLES

TORUS = os.path.join(EXAMPLES, "torus.mesh")


class Spinner:
    """A Python thread counting as fast as the interpreter lets it."""

    def __init__(self):
        self.count = 0
        self.stop = False
        self.thread = threading.Thread(target=self.spin)

    def spin(self):
        while not self.stop:
            self.count += 1

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.stop = True
        self.thread.join()

    def rate(self, seconds=0.1):
        """Counts per second while this thread only sleeps."""
        start, t = self.count, time.perf_counter()
        time.sleep(seconds)
        return (self.count - start) / (time.perf_counter() - t)


def level_seven():
    surface = facetry.Surface(TORUS, threads=1)
    for _ in range(7):
        surface.subdivide()
    return surface


# Each works for a good part of a second on one thread; were the lock held,
# the spinner would not count at all meanwhile.
WORK = [
    # a step on and back, several times: one step is over too soon on a machine whose memory is warm
    ("subdivide", lambda s: [(s.subdivide(), s.undivide()) for _ in range(4)]),
    ("limit", lambda s: [s.limit() for _ in range(3)]),
    ("points and quads", lambda s: [(s.points(), s.quads()) for _ in range(3)]),
    ("move_vertex", lambda s: [s.move_vertex(k, (0.1 * k, 0, 1)) for k in range(20)]),
    ("refine", lambda s: facetry.refine(TORUS, 8, threads=1)),
]


@pytest.mark.parametrize("name, work", WORK, ids=[w[0] for w in WORK])
def test_another_thread_runs_while_the_library_works(name, work):
    surface = level_seven()
    old = sys.getswitchinterval()
    sys.setswitchinterval(0.001)
    try:
        with Spinner() as spinner:
            rate = spinner.rate()
            start, t = spinner.count, time.perf_counter()
            work(surface)
            seconds = time.perf_counter() - t
            counted = spinner.count - start
    finally:
        sys.setswitchinterval(old)
    assert seconds > 0.05, f"{name} took only {seconds:.3f} s: too little to tell"
    assert counted > 0.1 * rate * seconds, f"{name}: {counted} counts in {seconds:.3f} s at {rate:.0f}/s"


def test_one_surface_used_from_two_threads_stays_whole():
    surface = facetry.Surface(TORUS)
    expected = [facetry.refine(TORUS, level) for level in range(5)]
    failures = []

    def steps(seed):
        random = np.random.default_rng(seed)
        for _ in range(40):
            choice = random.integers(4)
            try:
                if choice == 0:
                    surface.subdivide() if surface.level < 4 else surface.reset()
                elif choice == 1:
                    surface.undivide()
                else:
                    points = surface.points()
                    if not any(np.array_equal(points, e[0]) for e in expected):
                        failures.append("points of no level")
            except Exception as error:  # noqa: BLE001 - every failure is reported
                failures.append(repr(error))

    threads = [threading.Thread(target=steps, args=(seed,)) for seed in (1, 2)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert failures == []
    assert np.array_equal(surface.points(), expected[surface.level][0])


def test_arrays_own_their_memory_and_outlive_the_surface():
    surface = facetry.Surface(os.path.join(EXAMPLES, "creased-cubes.obj"))
    surface.subdivide()
    points, quads = surface.points(), surface.quads()
    positions, normals = surface.limit()
    control = surface.control_points()
    # Nothing but this frame's name and the call's argument refer to them.
    assert sys.getrefcount(points) == 2 and sys.getrefcount(quads) == 2 and sys.getrefcount(control) == 2
    assert sys.getrefcount(positions) == 2 and sys.getrefcount(normals) == 2
    arrays = dict(points=points, quads=quads, positions=positions, normals=normals, control=control)
    # Each owns its memory: through NumPy, or through a base that is only
    # the holder of that memory, never the surface.
    for name, array in arrays.items():
        assert array.flags.writeable and array.flags.c_contiguous, name
        assert array.flags.owndata or type(array.base).__name__ == "PyCapsule", name
    kept = {name: array.copy() for name, array in arrays.items()}
    gone = weakref.ref(surface)
    del surface
    gc.collect()
    assert gone() is None
    scribble = [np.full(a.shape, 7, a.dtype) for a in arrays.values()]
    for name, array in arrays.items():
        assert np.array_equal(array, kept[name]), name
    assert len(scribble) == len(arrays)


def test_a_surface_keeps_its_own_copy_of_the_mesh():
    mesh = facetry.load(os.path.join(EXAMPLES, "antiprism.mesh"))
    references = sys.getrefcount(mesh)
    surface = facetry.Surface(mesh)
    assert sys.getrefcount(mesh) == references
    first = mesh.points
    surface.move_vertex(0, (5, 5, 5))
    assert np.array_equal(mesh.points, first)
    gone = weakref.ref(mesh)
    del mesh
    gc.collect()
    assert gone() is None
    surface.subdivide()
    assert surface.points().shape[0] == surface.num_points


def resident_bytes():
    with open("/proc/self/statm", encoding="ascii") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def test_released_arrays_give_their_memory_back():
    surface = level_seven()
    held = resident_bytes()
    size = surface.points().nbytes + surface.quads().nbytes + 2 * surface.points().nbytes
    for _ in range(20):
        surface.points(), surface.quads(), surface.limit()
    assert resident_bytes() - held < size, "20 rounds of arrays kept their memory"


def test_calls_leak_no_references_and_no_memory():
    surface = facetry.Surface(TORUS)
    surface.subdivide()

    def calls():
        surface.points(), surface.quads(), surface.limit(), surface.control_points(), surface.level
        surface.subdivide()
        surface.undivide()
        surface.move_vertex(3, (1, 2, 3))

    calls()
    references = sys.getrefcount(surface)
    tracemalloc.start()
    try:
        calls()
        before = tracemalloc.get_traced_memory()[0]
        for _ in range(50):
            calls()
        grown = tracemalloc.get_traced_memory()[0] - before
    finally:
        tracemalloc.stop()
    assert sys.getrefcount(surface) == references
    assert grown < 64 * 1024, f"{grown} bytes more after 50 rounds"
