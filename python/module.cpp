// The Python module's compiled part, facetry._facetry: the control mesh and
// the surface over the library's public API, NumPy arrays in and out.
//
// It stays thin: every check, message and array layout is the library's
// (MeshBuilder through buildMesh, Surface's copies, the limit), tested
// in C++ and under the sanitizers there. What is left here is Python's side:
// converting arguments, raising exceptions, warnings, and the interpreter
// lock. Every library call that works on the mesh or the surface runs with
// the lock released, so other Python threads go on meanwhile; a surface is
// used by one thread at a time (its mutex, always taken with the lock
// released, so two threads can never wait for each other). Arrays are
// allocated by NumPy first and filled by the library in place: they own
// their memory and keep nothing else alive.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

// The library's headers and names, in this one place.
#include "mesh/filewriting.h"
#include "mesh/mesharrays.h"
#include "mesh/meshfile.h"
#include "mr/surface.h"

namespace lib = facetry;

namespace py = pybind11;

namespace {

static_assert(sizeof(lib::Vector) == 3 * sizeof(float) && std::is_standard_layout<lib::Vector>::value,
              "a float32 (n, 3) array is n Vectors");

using FloatArray = py::array_t<float, py::array::c_style | py::array::forcecast>;
using IndexArray = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>;

// An array for the library to fill, in memory the library gives for that
// (takeArrayMemory: large ones with their pages in place, so the copy is not
// slowed by a fault per page) and released with the array: its base, a
// capsule, owns the memory and nothing else.
template <class T>
py::array_t<T> emptyArray(const std::vector<py::ssize_t>& shape) {
    struct Owned {
        void* memory;
        std::size_t bytes;
    };
    std::size_t count = 1;
    for (py::ssize_t n : shape) count *= static_cast<std::size_t>(n);
    auto owned = std::make_unique<Owned>(Owned{nullptr, count * sizeof(T)});
    owned->memory = lib::takeArrayMemory(owned->bytes);
    T* data = static_cast<T*>(owned->memory);
    py::capsule base(owned.get(), [](void* pointer) {
        std::unique_ptr<Owned> gone(static_cast<Owned*>(pointer));
        lib::giveBackArrayMemory(gone->memory, gone->bytes);
    });
    owned.release();  // the capsule has it
    return py::array_t<T>(shape, data, base);
}

// The module's exception and warning classes, made at import.
PyObject* loadErrorType = nullptr;
PyObject* warningType = nullptr;

// Loader messages gathered while the interpreter lock is released, warned
// about once it is held again (a warning filter may turn them into errors).
void warnAll(const std::vector<std::string>& messages) {
    for (const std::string& message : messages)
        if (PyErr_WarnEx(warningType, message.c_str(), 2) < 0) throw py::error_already_set();
}

std::string pathOf(const py::object& path) { return py::str(py::module_::import("os").attr("fspath")(path)); }

// A control mesh as loaded or built: never changed afterwards, so that any
// number of threads and surfaces may read it; each surface takes its own copy.
struct ControlMesh {
    std::shared_ptr<const lib::Mesh> mesh;
};

// Runs make(mesh, report) with the interpreter lock released, then warns
// about what it reported.
template <class Make>
void makeMesh(lib::Mesh& mesh, Make make) {
    std::vector<std::string> warnings;
    {
        py::gil_scoped_release released;
        make(mesh, [&](const std::string& m) { warnings.push_back(m); });
    }
    warnAll(warnings);
}

ControlMesh load(const py::object& file) {
    const std::string path = pathOf(file);
    auto mesh = std::make_shared<lib::Mesh>();
    makeMesh(*mesh, [&](lib::Mesh& m, const auto& report) { lib::loadMeshFile(path, m, report); });
    return {mesh};
}

// An array of integers, as int64; floats and other kinds are refused rather
// than cut, an empty array of any kind is taken.
IndexArray indexArray(const py::handle& values, const char* name) {
    py::array array = py::module_::import("numpy").attr("asarray")(values);
    const char kind = array.dtype().kind();
    if (array.size() > 0 && kind != 'i' && kind != 'u')
        throw py::type_error(std::string(name) + " must hold integers, not " + std::string(py::str(array.dtype())));
    return IndexArray::ensure(array);
}

FloatArray floatArray(const py::handle& values, const char* name, py::ssize_t columns) {
    FloatArray array = FloatArray::ensure(values);
    if (!array) throw py::error_already_set();
    if (columns > 0 && (array.ndim() != 2 || array.shape(1) != columns))
        throw py::value_error(std::string(name) + " must have shape (n, " + std::to_string(columns) + ")");
    return array;
}

// Sharpness per element, or one value for all of them.
FloatArray sharpnessArray(const py::object& values, py::ssize_t count, const char* name) {
    FloatArray array = floatArray(values, name, 0);
    if (array.ndim() == 0) {
        FloatArray all(count);
        for (py::ssize_t k = 0; k < count; ++k) all.mutable_data()[k] = *array.data();
        return all;
    }
    if (array.ndim() != 1 || array.shape(0) != count)
        throw py::value_error(std::string(name) + " must be one number or one per element (" + std::to_string(count) + ")");
    return array;
}

// Faces as a tuple of two NumPy arrays (sizes, indices), as a 2-d array of
// faces of one size, or as a sequence of index sequences (a tuple of two
// lists is two faces).
void faceArrays(const py::object& faces, IndexArray& sizes, IndexArray& indices) {
    if (py::isinstance<py::tuple>(faces) && py::len(faces) == 2) {
        const py::tuple pair = faces.cast<py::tuple>();
        if (py::isinstance<py::array>(pair[0]) && py::isinstance<py::array>(pair[1])) {
            sizes = indexArray(pair[0], "face sizes");
            indices = indexArray(pair[1], "face indices");
            if (sizes.ndim() != 1 || indices.ndim() != 1)
                throw py::value_error("faces as (sizes, indices) must be two 1-d arrays");
            return;
        }
    }
    if (py::isinstance<py::array>(faces)) {
        IndexArray grid = indexArray(faces, "faces");
        if (grid.ndim() != 2) throw py::value_error("faces as an array must have shape (m, k)");
        sizes = IndexArray(grid.shape(0));
        for (py::ssize_t f = 0; f < grid.shape(0); ++f) sizes.mutable_data()[f] = grid.shape(1);
        indices = IndexArray(grid.size(), grid.data());
        return;
    }
    std::vector<std::int64_t> counts, all;
    for (const py::handle& face : faces) {
        const IndexArray corners = indexArray(face, "a face");
        if (corners.ndim() != 1) throw py::value_error("each face must be a sequence of vertex indices");
        counts.push_back(corners.size());
        all.insert(all.end(), corners.data(), corners.data() + corners.size());
    }
    sizes = IndexArray(static_cast<py::ssize_t>(counts.size()), counts.data());
    indices = IndexArray(static_cast<py::ssize_t>(all.size()), all.data());
}

// A scheme option by the name facetry-refine's flag takes.
template <class Option>
void schemeOption(const std::optional<std::string>& name, std::optional<Option> (*named)(const std::string&),
                  const char* keyword, const char* choices, Option& option) {
    if (!name) return;
    const std::optional<Option> given = named(*name);
    if (!given) throw py::value_error(std::string(keyword) + " must be one of " + choices + ", not '" + *name + "'");
    option = *given;
}

lib::SchemeOptions schemeOptions(const std::optional<std::string>& boundary, const std::optional<std::string>& creasing,
                                 const std::optional<std::string>& triangles,
                                 const std::optional<std::string>& uvInterpolation) {
    lib::SchemeOptions options;
    schemeOption(boundary, lib::boundaryNamed, "boundary", "'edge-only', 'edge-and-corner', 'none'", options.boundary);
    schemeOption(creasing, lib::creasingNamed, "creasing", "'uniform', 'chaikin'", options.creasing);
    schemeOption(triangles, lib::trianglesNamed, "triangles", "'catmull-clark', 'smooth'", options.triangles);
    schemeOption(uvInterpolation, lib::faceVaryingNamed, "uv_interpolation",
                 "'none', 'corners-only', 'corners-plus1', 'corners-plus2', 'boundaries', 'all'", options.faceVarying);
    return options;
}

ControlMesh makeControlMesh(const py::object& pointsIn, const py::object& facesIn, const py::object& creasesIn,
                            const py::object& creaseSharpnessIn, const py::object& cornersIn,
                            const py::object& cornerSharpnessIn, const py::object& uvsIn, const py::object& holesIn,
                            const std::optional<std::string>& boundary, const std::optional<std::string>& creasing,
                            const std::optional<std::string>& triangles,
                            const std::optional<std::string>& uvInterpolation) {
    const FloatArray points = floatArray(pointsIn, "points", 3);
    IndexArray sizes, indices;
    faceArrays(facesIn, sizes, indices);
    lib::MeshArrays arrays;
    arrays.points = points.data();
    arrays.pointCount = points.shape(0);
    arrays.faceSizes = sizes.data();
    arrays.faceCount = sizes.size();
    arrays.faceIndices = indices.data();
    arrays.indexCount = indices.size();
    FloatArray uvs, creaseSharpness, cornerSharpness;
    IndexArray creases, corners;
    if (!uvsIn.is_none()) {
        uvs = floatArray(uvsIn, "uvs", 2);
        if (uvs.shape(0) != indices.size())
            throw py::value_error("uvs must have one (u, v) per face corner: " + std::to_string(indices.size()) + ", not " +
                                  std::to_string(uvs.shape(0)));
        arrays.cornerUVs = uvs.data();
    }
    if (creasesIn.is_none() != creaseSharpnessIn.is_none()) throw py::type_error("creases and crease_sharpness go together");
    if (!creasesIn.is_none()) {
        creases = indexArray(creasesIn, "creases");
        if (creases.size() == 0) creases = IndexArray(std::vector<py::ssize_t>{0, 2});
        if (creases.ndim() != 2 || creases.shape(1) != 2) throw py::value_error("creases must have shape (k, 2)");
        creaseSharpness = sharpnessArray(creaseSharpnessIn, creases.shape(0), "crease_sharpness");
        arrays.creases = creases.data();
        arrays.creaseSharpness = creaseSharpness.data();
        arrays.creaseCount = creases.shape(0);
    }
    if (cornersIn.is_none() != cornerSharpnessIn.is_none()) throw py::type_error("corners and corner_sharpness go together");
    if (!cornersIn.is_none()) {
        corners = indexArray(cornersIn, "corners");
        if (corners.ndim() != 1) throw py::value_error("corners must have shape (j,)");
        cornerSharpness = sharpnessArray(cornerSharpnessIn, corners.shape(0), "corner_sharpness");
        arrays.corners = corners.data();
        arrays.cornerSharpness = cornerSharpness.data();
        arrays.cornerCount = corners.shape(0);
    }
    IndexArray holes;
    if (!holesIn.is_none()) {
        holes = indexArray(holesIn, "holes");
        if (holes.ndim() != 1) throw py::value_error("holes must have shape (h,)");
        arrays.holes = holes.data();
        arrays.holeCount = holes.size();
    }
    arrays.options = schemeOptions(boundary, creasing, triangles, uvInterpolation);
    auto mesh = std::make_shared<lib::Mesh>();
    makeMesh(*mesh, [&](lib::Mesh& m, const auto& report) { lib::buildMesh(arrays, m, report); });
    return {mesh};
}

// The control mesh's contents as new arrays.
py::array_t<std::int64_t> controlHoles(const lib::Mesh& mesh) {
    std::vector<std::int64_t> holes;
    for (int f = 0; f < mesh.numFaces(); ++f)
        if (mesh.isTaggedHole(f)) holes.push_back(f);
    return py::array_t<std::int64_t>(static_cast<py::ssize_t>(holes.size()), holes.data());
}

py::array_t<float> controlPoints(const lib::Mesh& mesh) {
    py::array_t<float> out({static_cast<py::ssize_t>(mesh.numVertices()), py::ssize_t(3)});
    lib::Vector* p = reinterpret_cast<lib::Vector*>(out.mutable_data());
    for (int v = 0; v < mesh.numVertices(); ++v) p[v] = mesh.vertex(v)->position();
    return out;
}

py::tuple controlFaces(const lib::Mesh& mesh) {
    const auto& t = mesh.topology();
    py::array_t<std::int32_t> sizes(t.numF), indices(static_cast<py::ssize_t>(t.cornerVertices.size()));
    for (int f = 0; f < t.numF; ++f) sizes.mutable_data()[f] = t.valence(f);
    std::copy(t.cornerVertices.begin(), t.cornerVertices.end(), indices.mutable_data());
    return py::make_tuple(sizes, indices);
}

py::tuple controlCreases(const lib::Mesh& mesh) {
    std::vector<std::int32_t> ends;
    std::vector<float> sharpness;
    for (int e = 0; e < mesh.numEdges(); ++e)
        if (mesh.edge(e)->sharpness() > 0) {
            ends.push_back(mesh.topology().edgeVertices[2 * e]);
            ends.push_back(mesh.topology().edgeVertices[2 * e + 1]);
            sharpness.push_back(mesh.edge(e)->sharpness());
        }
    const py::ssize_t k = static_cast<py::ssize_t>(sharpness.size());
    return py::make_tuple(py::array_t<std::int32_t>({k, py::ssize_t(2)}, ends.data()), py::array_t<float>(k, sharpness.data()));
}

py::tuple controlCorners(const lib::Mesh& mesh) {
    std::vector<std::int32_t> vertices;
    std::vector<float> sharpness;
    for (int v = 0; v < mesh.numVertices(); ++v)
        if (mesh.vertex(v)->taggedSharpness() > 0) {
            vertices.push_back(v);
            sharpness.push_back(mesh.vertex(v)->taggedSharpness());
        }
    const py::ssize_t k = static_cast<py::ssize_t>(sharpness.size());
    return py::make_tuple(py::array_t<std::int32_t>(k, vertices.data()), py::array_t<float>(k, sharpness.data()));
}

py::object controlUVs(const lib::Mesh& mesh) {
    if (!mesh.hasTextureCoordinates()) return py::none();
    const auto& t = mesh.topology();
    py::array_t<float> out({static_cast<py::ssize_t>(t.cornerVertices.size()), py::ssize_t(2)});
    float* uv = out.mutable_data();
    for (int f = 0; f < t.numF; ++f)
        for (int k = 0; k < t.valence(f); ++k, uv += 2) {
            const int c = mesh.cornerTextureCoordinate(f, k);
            uv[0] = mesh.textureCoordinates()[2 * c];
            uv[1] = mesh.textureCoordinates()[2 * c + 1];
        }
    return std::move(out);
}

// A surface over its own copy of a control mesh.
class Surface {
public:
    Surface(const py::object& source, const std::optional<int>& threads, const std::optional<long long>& memoryLimit) {
        if (threads && *threads < 1) throw py::value_error("threads must be at least 1");
        if (memoryLimit && *memoryLimit < 0) throw py::value_error("memory_limit must not be negative");
        if (threads) surface.setThreads(*threads);
        if (memoryLimit) {
            const std::size_t limit = static_cast<std::size_t>(*memoryLimit);
            surface.setMemoryProbe([limit] { return std::min(limit, lib::systemAvailableMemory()); });
        }
        if (py::isinstance<ControlMesh>(source)) {
            const std::shared_ptr<const lib::Mesh> given = source.cast<const ControlMesh&>().mesh;
            py::gil_scoped_release released;
            lib::copyMesh(*given, control);
        } else {
            const std::string path = pathOf(source);
            makeMesh(control, [&](lib::Mesh& m, const auto& report) { lib::loadMeshFile(path, m, report); });
        }
        lib::Status built;
        {
            py::gil_scoped_release released;
            built = surface.build(control);
        }
        if (!built) {
            PyErr_SetString(PyExc_MemoryError, built.message.c_str());
            throw py::error_already_set();
        }
        buildPath = built.message;
    }

    // Holds the surface for one call: taken with the interpreter lock
    // released, held until the call returns.
    class Hold {
    public:
        explicit Hold(Surface& s) : lock(s.busy, std::defer_lock) {
            py::gil_scoped_release released;
            lock.lock();
        }

    private:
        std::unique_lock<std::mutex> lock;
    };

    // Runs a level operation; a refusal raises MemoryError with its message.
    template <class Operation>
    void change(Operation operation) {
        Hold hold(*this);
        lib::Status status;
        {
            py::gil_scoped_release released;
            status = operation();
        }
        if (!status) {
            PyErr_SetString(PyExc_MemoryError, status.message.c_str());
            throw py::error_already_set();
        }
    }

    void subdivide() { change([this] { return surface.subdivide(); }); }
    void undivide() { change([this] { return surface.undivide(); }); }
    void reset() {
        change([this] {
            surface.reset();
            return lib::Status{};
        });
    }
    int level() {
        Hold hold(*this);
        return surface.level();
    }
    int threads() const { return surface.threads(); }

    void moveVertex(long long index, const py::object& xyz) {
        const FloatArray p = floatArray(xyz, "xyz", 0);
        if (p.size() != 3) throw py::value_error("xyz must be three numbers");
        const lib::Vector to(p.data()[0], p.data()[1], p.data()[2]);
        if (!std::isfinite(to.x) || !std::isfinite(to.y) || !std::isfinite(to.z))
            throw py::value_error("xyz must be finite");
        if (index < 0 || index >= control.numVertices())
            throw py::index_error("vertex " + std::to_string(index) + " out of range (" +
                                  std::to_string(control.numVertices()) + " vertices)");
        change([&] {
            control.vertex(static_cast<int>(index))->setPosition(to);
            return surface.vertexMoved(static_cast<int>(index));
        });
    }

    py::array_t<float> controlPositions() {
        Hold hold(*this);
        return controlPoints(control);
    }

    long long pointCount() {
        Hold hold(*this);
        return surface.pointCount();
    }
    long long quadCount() {
        Hold hold(*this);
        return surface.quadCount();
    }

    py::array_t<float> points() {
        Hold hold(*this);
        py::array_t<float> out = emptyArray<float>({static_cast<py::ssize_t>(surface.pointCount()), 3});
        float* data = out.mutable_data();
        {
            py::gil_scoped_release released;
            surface.copyPoints(data);
        }
        return out;
    }

    py::array_t<std::int32_t> quads() {
        Hold hold(*this);
        if (surface.pointCount() > std::numeric_limits<std::int32_t>::max())
            throw py::value_error("the surface has more points than int32 quads can name");
        py::array_t<std::int32_t> out = emptyArray<std::int32_t>({static_cast<py::ssize_t>(surface.quadCount()), 4});
        std::int32_t* data = out.mutable_data();
        {
            py::gil_scoped_release released;
            surface.copyQuads(data);
        }
        return out;
    }

    py::object uvs(bool limit) {
        Hold hold(*this);
        if (!surface.hasTextureCoordinates()) return py::none();
        py::array_t<float> out = emptyArray<float>({static_cast<py::ssize_t>(surface.quadCount()), 4, 2});
        float* data = out.mutable_data();
        {
            py::gil_scoped_release released;
            surface.copyTextureCoordinates(data, limit);
        }
        return std::move(out);
    }

    py::tuple limit() {
        Hold hold(*this);
        const py::ssize_t n = static_cast<py::ssize_t>(surface.pointCount());
        py::array_t<float> positions = emptyArray<float>({n, 3}), normals = emptyArray<float>({n, 3});
        lib::Vector* p = reinterpret_cast<lib::Vector*>(positions.mutable_data());
        lib::Vector* q = reinterpret_cast<lib::Vector*>(normals.mutable_data());
        {
            py::gil_scoped_release released;
            surface.limit(p, q);
        }
        return py::make_tuple(positions, normals);
    }

    // As facetry-refine --output writes it, with --limit and --normals.
    void write(const py::object& file, bool limit, bool normals) {
        const std::string path = pathOf(file);
        const lib::MeshFormat format = lib::meshFormatOf(path);
        if (format == lib::MeshFormat::Text) throw py::value_error("the file '" + path + "' must end in .obj or .off");
        if (normals && format != lib::MeshFormat::Obj) throw py::value_error("normals need an .obj file");
        Hold hold(*this);
        lib::Status written;
        {
            py::gil_scoped_release released;
            std::vector<lib::Vector> positions, normalsAt;
            if (limit || normals) surface.limit(limit ? &positions : nullptr, normals ? &normalsAt : nullptr);
            written = lib::replaceFile(path, [&](FILE* out) {
                return surface.write(out, format, limit ? &positions : nullptr, normals ? &normalsAt : nullptr, limit);
            });
        }
        if (!written) {
            PyErr_SetString(PyExc_OSError, written.message.c_str());
            throw py::error_already_set();
        }
    }

    std::string buildPath;  // the path build() took, its progress line

private:
    std::mutex busy;       // held by the one call that uses the surface
    lib::Mesh control;     // the surface's own control mesh, which move_vertex moves
    lib::Surface surface;  // over `control`
};

// facetry.LoadError(message) with the file and line as attributes (None
// where unknown), raised for a LoadError of the library.
void raiseLoadError(const lib::LoadError& error) {
    py::object instance = py::reinterpret_steal<py::object>(PyObject_CallFunction(loadErrorType, "s", error.located().c_str()));
    if (!instance) throw py::error_already_set();
    instance.attr("filename") = error.file().empty() ? py::object(py::none()) : py::object(py::str(error.file()));
    instance.attr("lineno") = error.line() > 0 ? py::object(py::int_(error.line())) : py::object(py::none());
    PyErr_SetObject(loadErrorType, instance.ptr());
}

}  // namespace

PYBIND11_MODULE(_facetry, m) {
    m.doc() = "Catmull-Clark subdivision surfaces with semi-sharp creases and limit positions, NumPy arrays in and out.";
    loadErrorType = PyErr_NewExceptionWithDoc("facetry.LoadError",
                                              "A control mesh that cannot be read or built; the message names the file and line.",
                                              PyExc_ValueError, nullptr);
    warningType = PyErr_NewExceptionWithDoc("facetry.FacetryWarning",
                                            "What loading reports and goes on: a dropped face, an unknown tag.",
                                            PyExc_UserWarning, nullptr);
    m.add_object("LoadError", py::handle(loadErrorType));
    m.add_object("FacetryWarning", py::handle(warningType));
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) std::rethrow_exception(thrown);
        } catch (const lib::LoadError& error) {
            raiseLoadError(error);
        }
    });

    py::class_<ControlMesh>(m, "ControlMesh", "A control mesh: polygons with creases, corners and texture coordinates.")
        .def(py::init(&makeControlMesh), py::arg("points"), py::arg("faces"), py::kw_only(), py::arg("creases") = py::none(),
             py::arg("crease_sharpness") = py::none(), py::arg("corners") = py::none(),
             py::arg("corner_sharpness") = py::none(), py::arg("uvs") = py::none(), py::arg("holes") = py::none(),
             py::arg("boundary") = py::none(), py::arg("creasing") = py::none(), py::arg("triangles") = py::none(),
             py::arg("uv_interpolation") = py::none())
        .def_property_readonly("num_vertices", [](const ControlMesh& c) { return c.mesh->numVertices(); })
        .def_property_readonly("num_edges", [](const ControlMesh& c) { return c.mesh->numEdges(); })
        .def_property_readonly("num_faces", [](const ControlMesh& c) { return c.mesh->numFaces(); })
        .def_property_readonly("points", [](const ControlMesh& c) { return controlPoints(*c.mesh); })
        .def_property_readonly("faces", [](const ControlMesh& c) { return controlFaces(*c.mesh); })
        .def_property_readonly("creases", [](const ControlMesh& c) { return controlCreases(*c.mesh); })
        .def_property_readonly("corners", [](const ControlMesh& c) { return controlCorners(*c.mesh); })
        .def_property_readonly("uvs", [](const ControlMesh& c) { return controlUVs(*c.mesh); })
        .def_property_readonly("holes", [](const ControlMesh& c) { return controlHoles(*c.mesh); })
        .def_property_readonly("options", [](const ControlMesh& c) {
            const lib::SchemeOptions& o = c.mesh->options();
            py::dict options;
            options["boundary"] = lib::schemeName(o.boundary);
            options["creasing"] = lib::schemeName(o.creasing);
            options["triangles"] = lib::schemeName(o.triangles);
            options["uv_interpolation"] = lib::schemeName(o.faceVarying);
            return options;
        });

    m.def("load", &load, py::arg("path"), "Reads a control mesh (.obj, .off, or the text format).");

    py::class_<Surface>(m, "Surface", "The Catmull-Clark surface over a control mesh, one level at a time.")
        .def(py::init<const py::object&, const std::optional<int>&, const std::optional<long long>&>(), py::arg("mesh"),
             py::kw_only(), py::arg("threads") = py::none(), py::arg("memory_limit") = py::none())
        .def("subdivide", &Surface::subdivide)
        .def("undivide", &Surface::undivide)
        .def("reset", &Surface::reset)
        .def_property_readonly("level", &Surface::level)
        .def_property_readonly("threads", &Surface::threads)
        .def_readonly("build_path", &Surface::buildPath)
        .def_property_readonly("num_points", &Surface::pointCount)
        .def_property_readonly("num_quads", &Surface::quadCount)
        .def("move_vertex", &Surface::moveVertex, py::arg("index"), py::arg("xyz"))
        .def("control_points", &Surface::controlPositions)
        .def("points", &Surface::points)
        .def("quads", &Surface::quads)
        .def("uvs", &Surface::uvs, py::kw_only(), py::arg("limit") = false)
        .def("limit", &Surface::limit)
        .def("write", &Surface::write, py::arg("path"), py::kw_only(), py::arg("limit") = false, py::arg("normals") = false);
}
