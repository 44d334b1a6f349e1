"""ControlMesh from arrays against the same mesh from a file: faces in each of
their forms, creases and corners against the same tags in an OBJ file,
texture coordinates against vt lines, and the arrays a ControlMesh gives
back. The surfaces are compared with each other and with facetry-refine."""

import numpy as np
import pytest

import facetry
from conftest import refined_obj


def surface_arrays(mesh, level):
    surface = facetry.Surface(mesh)
    for _ in range(level):
        surface.subdivide()
    return surface.points(), surface.quads()


def plain_obj(stem):
    """The points and faces of an OBJ file of the catalogue, read here."""
    points, faces = [], []
    for line in open(f"{stem}.obj", encoding="ascii"):
        words = line.split()
        if words and words[0] == "v":
            points.append([float(w) for w in words[1:4]])
        elif words and words[0] == "f":
            faces.append([int(w) - 1 for w in words[1:]])
    return np.array(points), faces


def face_forms(faces):
    """The faces as a list of lists, as (sizes, indices) arrays and, where
    they have one size, as a 2-d array."""
    forms = [faces, (np.array([len(f) for f in faces]), np.array([v for f in faces for v in f], dtype=np.int32))]
    if len({len(f) for f in faces}) == 1:
        forms.append(np.array(faces, dtype=np.uint16))
    return forms


def test_the_catalogue_from_arrays_is_the_mesh_its_file_gives(catalogue, tmp_path):
    for name, _, stem in catalogue:
        loaded = facetry.load(f"{stem}.obj")
        points, faces = plain_obj(stem)
        expected = refined_obj(tmp_path, f"{stem}.obj", 2)
        for form in face_forms(faces):
            mesh = facetry.ControlMesh(points, form)
            assert np.array_equal(mesh.points, loaded.points), name
            for got, want in zip(mesh.faces, loaded.faces):
                assert np.array_equal(got, want), name
            assert (mesh.num_vertices, mesh.num_edges, mesh.num_faces) == (
                loaded.num_vertices, loaded.num_edges, loaded.num_faces)
            got_points, got_quads = surface_arrays(mesh, 2)
            assert np.array_equal(got_points, expected.points) and np.array_equal(got_quads, expected.quads), name


def chosen_tags(mesh):
    """Every third edge of the faces' sides and every fourth used vertex, the
    sharpness going round fractional, whole and infinite values; the first
    edge tagged twice, the later value standing."""
    sizes, indices = mesh.faces
    starts = np.concatenate([[0], np.cumsum(sizes)])
    sides = set()
    for f in range(len(sizes)):
        face = indices[starts[f]:starts[f + 1]]
        for k in range(len(face)):
            a, b = int(face[k]), int(face[(k + 1) % len(face)])
            sides.add((min(a, b), max(a, b)))
    values = [0.5, 1.0, 2.25, 10.0]
    edges = sorted(sides)[::3]
    sharpness = [values[k % 4] for k in range(len(edges))]
    edges.append(edges[0][::-1])
    sharpness.append(3.0)
    used = sorted(set(int(v) for v in indices))[::4]
    return edges, sharpness, used, [values[(k + 1) % 4] for k in range(len(used))]


def test_creases_and_corners_from_arrays_are_the_same_tags_in_an_obj_file(catalogue, tmp_path):
    for name, _, stem in catalogue:
        mesh = facetry.load(f"{stem}.obj")
        edges, sharpness, corners, corner_sharpness = chosen_tags(mesh)
        text = open(f"{stem}.obj", encoding="ascii").read()
        text += "".join(f"t crease 2/1/0 {a} {b} {s}\n" for (a, b), s in zip(edges, sharpness))
        text += "".join(f"t corner 1/1/0 {v} {s}\n" for v, s in zip(corners, corner_sharpness))
        tagged = tmp_path / f"{name}-tagged.obj"
        tagged.write_text(text)
        built = facetry.ControlMesh(mesh.points, mesh.faces, creases=edges, crease_sharpness=sharpness,
                                    corners=corners, corner_sharpness=corner_sharpness)
        from_file = facetry.load(tagged)
        for got, want in zip(built.creases + built.corners, from_file.creases + from_file.corners):
            assert np.array_equal(got, want), name
        assert len(built.creases[0]) == len(edges) - 1
        expected = refined_obj(tmp_path, tagged, 3)
        points, quads = surface_arrays(built, 3)
        assert np.array_equal(points, expected.points) and np.array_equal(quads, expected.quads), name
        # What a ControlMesh gives back builds it again.
        again = facetry.ControlMesh(built.points, built.faces, creases=built.creases[0], crease_sharpness=built.creases[1],
                                    corners=built.corners[0], corner_sharpness=built.corners[1])
        assert np.array_equal(surface_arrays(again, 3)[0], points), name


def test_one_sharpness_for_every_crease_and_corner():
    points = [[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0], [2, 0, 0], [2, 1, 0]]
    mesh = facetry.ControlMesh(points, [[0, 1, 2, 3], [1, 4, 5, 2]], creases=[[1, 2]], crease_sharpness=2,
                               corners=[0, 5], corner_sharpness=1.5)
    assert np.array_equal(mesh.creases[1], [2.0]) and np.array_equal(mesh.corners[1], [1.5, 1.5])
    with pytest.raises(ValueError, match="one number or one per element"):
        facetry.ControlMesh(points, [[0, 1, 2, 3]], corners=[0, 1], corner_sharpness=[1, 2, 3])
    with pytest.raises(TypeError, match="go together"):
        facetry.ControlMesh(points, [[0, 1, 2, 3]], creases=[[0, 1]])


def test_texture_coordinates_per_corner_are_what_vt_lines_give(tmp_path):
    points = np.array([[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0], [2, 0, 0]], dtype=np.float64) + 0.125
    faces = [[0, 1, 2, 3], [1, 4, 2]]
    uvs = np.array([[0.1 * k, 1 - 0.05 * k * k] for k in range(7)], dtype=np.float32)
    text = "".join(f"v {x!r} {y!r} {z!r}\n" for x, y, z in points)
    text += "f 1/1 2/2 3/3 4/4\nf 2/5 5/6 3/7\n" + "".join(f"vt {u:.9g} {v:.9g}\n" for u, v in uvs)
    path = tmp_path / "uv.obj"
    path.write_text(text)
    built = facetry.ControlMesh(points, faces, uvs=uvs)
    assert np.array_equal(built.uvs, uvs) and np.array_equal(facetry.load(path).uvs, uvs)
    expected = refined_obj(tmp_path, path, 2)
    surface = facetry.Surface(built)
    surface.subdivide()
    surface.subdivide()
    assert np.array_equal(surface.uvs(), expected.uvs)
    assert facetry.ControlMesh(points, faces).uvs is None


# The texture coordinates' rules by their keyword and the tag's number.
UV_RULES = ["none", "corners-only", "corners-plus1", "corners-plus2", "boundaries", "all"]


@pytest.mark.parametrize("number, rule", list(enumerate(UV_RULES)))
def test_the_uv_rule_from_arrays_is_the_same_tag_in_an_obj_file(tmp_path, number, rule):
    """A 3 x 2 grid whose right column is a UV island of its own, so that the
    rule has a seam, corners and a boundary to act on: the keyword gives the
    options and texture coordinates the tag gives, and the flag over a plain
    file gives the same surface."""
    points = np.array([[x, y, 0.25 * x * y] for y in range(3) for x in range(4)], dtype=np.float64)
    faces = [[r * 4 + c, r * 4 + c + 1, r * 4 + c + 5, r * 4 + c + 4] for r in range(2) for c in range(3)]
    # A value per vertex, the right side moved to 3.5, and the island's left
    # side at 2.5 as values 12 to 14, which the right column's faces name.
    values = [[x + (x == 3) * 0.5, y] for y in range(3) for x in range(4)] + [[2.5, y] for y in range(3)]
    corner_uv = [list(f) for f in faces]
    for r in range(2):
        corner_uv[r * 3 + 2][0], corner_uv[r * 3 + 2][3] = 12 + r, 13 + r
    uv_values = np.array(values, dtype=np.float32) / 4
    uvs = uv_values[np.array(corner_uv).reshape(-1)]
    text = "".join(f"v {x!r} {y!r} {z!r}\n" for x, y, z in points)
    text += "".join(f"vt {u:.9g} {v:.9g}\n" for u, v in uv_values)
    text += "".join("f " + " ".join(f"{v + 1}/{t + 1}" for v, t in zip(f, c)) + "\n" for f, c in zip(faces, corner_uv))
    plain = tmp_path / "plain.obj"
    plain.write_text(text)
    tagged = tmp_path / "tagged.obj"
    tagged.write_text(text + f"t facevaryinginterpolateboundary 1/0/0 {number}\n")
    built = facetry.ControlMesh(points, faces, uvs=uvs, uv_interpolation=rule)
    from_file = facetry.load(tagged)
    assert built.options == from_file.options == {"boundary": "edge-only", "creasing": "uniform",
                                                  "triangles": "catmull-clark", "uv_interpolation": rule}
    assert facetry.load(plain).options["uv_interpolation"] == "all"
    assert np.array_equal(built.uvs, from_file.uvs) and np.array_equal(built.uvs, uvs)
    expected = refined_obj(tmp_path, tagged, 2)
    assert np.array_equal(refined_obj(tmp_path, plain, 2, "--uv-interpolation", rule).uvs, expected.uvs)
    surface = facetry.Surface(built)
    surface.subdivide()
    surface.subdivide()
    assert np.array_equal(surface.uvs(), expected.uvs)
    assert np.array_equal(surface.points(), expected.points)
    # Their limits, as --limit writes them; under "all", linear, the values.
    limits = refined_obj(tmp_path, tagged, 2, "--limit").uvs
    assert np.array_equal(surface.uvs(limit=True), limits)
    assert np.array_equal(limits, expected.uvs) or rule != "all"
    assert not np.array_equal(limits, expected.uvs) or rule != "none"  # the layout's corners move
    # The rule goes with the mesh into the file a Surface writes.
    written = tmp_path / "written.obj"
    surface.write(written)
    assert facetry.load(written).options["uv_interpolation"] == rule


# Each scheme option as the keyword takes it and as the OBJ tag writes it.
SCHEMES = [
    ({"boundary": "edge-and-corner"}, "t interpolateboundary 1/0/0 1\n"),
    ({"boundary": "none"}, "t interpolateboundary 1/0/0 0\n"),
    ({"creasing": "chaikin"}, "t creasemethod 0/0/1 chaikin\n"),
    ({"triangles": "smooth"}, "t smoothtriangles 0/0/1 smooth\n"),
    ({"boundary": "edge-and-corner", "creasing": "chaikin", "triangles": "smooth"},
     "t interpolateboundary 1/0/0 1\nt creasemethod 0/0/1 chaikin\nt smoothtriangles 0/0/1 smooth\n"),
    ({"boundary": "none", "uv_interpolation": "corners-plus1"},
     "t interpolateboundary 1/0/0 0\nt facevaryinginterpolateboundary 1/0/0 2\n"),
]


@pytest.mark.parametrize("keywords, tags", SCHEMES)
def test_options_and_holes_from_arrays_are_the_same_tags_in_an_obj_file(catalogue, tmp_path, keywords, tags):
    for name, _, stem in catalogue:
        mesh = facetry.load(f"{stem}.obj")
        edges, sharpness, _, _ = chosen_tags(mesh)
        holes = list(range(0, mesh.num_faces, 5))
        text = open(f"{stem}.obj", encoding="ascii").read() + tags
        text += "".join(f"t crease 2/1/0 {a} {b} {s}\n" for (a, b), s in zip(edges, sharpness))
        text += f"t hole {len(holes)}/0/0 " + " ".join(map(str, holes)) + "\n"
        tagged = tmp_path / f"{name}-options.obj"
        tagged.write_text(text)
        built = facetry.ControlMesh(mesh.points, mesh.faces, creases=edges, crease_sharpness=sharpness, holes=holes,
                                    **keywords)
        from_file = facetry.load(tagged)
        assert built.options == from_file.options == {**{"boundary": "edge-only", "creasing": "uniform",
                                                          "triangles": "catmull-clark", "uv_interpolation": "all"},
                                                       **keywords}, name
        assert np.array_equal(built.holes, holes) and np.array_equal(from_file.holes, holes), name
        expected = refined_obj(tmp_path, tagged, 2)
        points, quads = surface_arrays(built, 2)
        assert np.array_equal(points, expected.points) and np.array_equal(quads, expected.quads), name


def test_option_names_and_hole_indices_are_checked():
    points = [[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0]]
    for keyword in ("boundary", "creasing", "triangles", "uv_interpolation"):
        with pytest.raises(ValueError, match=f"{keyword} must be one of"):
            facetry.ControlMesh(points, [[0, 1, 2, 3]], **{keyword: "catmark"})
    with pytest.raises(facetry.LoadError, match="hole 0: face index 1 out of range"):
        facetry.ControlMesh(points, [[0, 1, 2, 3]], holes=[1])
    # A hole naming a dropped face is passed over with a warning.
    with pytest.warns(facetry.FacetryWarning, match="hole 0: face 1 was dropped"):
        mesh = facetry.ControlMesh(points, [[0, 1, 2, 3], [0, 1, 1]], holes=[1])
    assert len(mesh.holes) == 0
