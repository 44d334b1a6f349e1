#include "app/refineoptions.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace facetry {

const char* const kRefineUsage =
    "Usage: facetry-refine INPUT [--level L] [--output FILE] [--dump] [--progress]\n"
    "                      [--memory-limit MIB] [--threads N] [--limit] [--normals]\n"
    "Refines the Catmull-Clark surface over a control mesh and writes it as one\n"
    "welded quad mesh.\n"
    "\n"
    "  INPUT                the control mesh: .obj, .off, or Facetry's text format\n"
    "  -l, --level L        refine L times after level 0 (default 0)\n"
    "  -o, --output FILE    write the surface to FILE, as OBJ or OFF by its extension\n"
    "                       (.obj or .off); texture coordinates and crease tags of\n"
    "                       the input go with it into OBJ\n"
    "      --limit          write every point at its place on the limit surface\n"
    "      --boundary edge-only|edge-and-corner|none\n"
    "                       how boundaries are interpolated (default: as the input's\n"
    "                       interpolateboundary tag says, else edge-only)\n"
    "      --creasing uniform|chaikin\n"
    "                       how semi-sharp creases wear off (default: the input's)\n"
    "      --triangles catmull-clark|smooth\n"
    "                       the first step's rule next to triangles (default: the\n"
    "                       input's)\n"
    "      --uv-interpolation none|corners-only|corners-plus1|corners-plus2|\n"
    "                         boundaries|all\n"
    "                       where the texture coordinates stay linear as they refine\n"
    "                       (default: as the input's facevaryinginterpolateboundary\n"
    "                       tag says, else all: bilinear in each control face)\n"
    "      --normals        write the limit surface's normal at every point (OBJ only)\n"
    "      --dump           print the control mesh and the surface, element by element\n"
    "      --progress       report every level on standard error, even when it is not\n"
    "                       a terminal\n"
    "      --memory-limit MIB  refuse a level that would need more than MIB mebibytes\n"
    "  -j, --threads N      refine on N threads (default: every core of the machine);\n"
    "                       the surface is the same for any N\n"
    "  -h, --help           show this help and exit\n"
    "\n"
    "Exit status: 0 on success, 2 for a command-line error, 255 for an input file\n"
    "that cannot be read, 1 when a level is refused for memory or the output cannot\n"
    "be written.\n";

namespace {

// A whole decimal number from 0 to `max`, nothing else.
bool parseCount(const char* text, long long max, long long& value) {
    if (*text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || v > max) return false;
    value = v;
    return true;
}

// Splits "--name=value" into its parts; `value` stays null without "=".
std::string optionName(const char* arg, const char*& value) {
    const char* equals = std::strncmp(arg, "--", 2) == 0 ? std::strchr(arg, '=') : nullptr;
    value = equals ? equals + 1 : nullptr;
    return equals ? std::string(arg, equals) : std::string(arg);
}

// The scheme options; false when `name` is none of them.
bool takeScheme(const std::string& name, const char* value, RefineOptions& options, std::string& error) {
    bool known = true;
    if (name == "--boundary")
        known = (options.boundary = boundaryNamed(value)).has_value();
    else if (name == "--creasing")
        known = (options.creasing = creasingNamed(value)).has_value();
    else if (name == "--triangles")
        known = (options.triangles = trianglesNamed(value)).has_value();
    else if (name == "--uv-interpolation")
        known = (options.faceVarying = faceVaryingNamed(value)).has_value();
    else
        return false;
    if (!known) error = "invalid value '" + std::string(value) + "' for '" + name + "'";
    return true;
}

std::string setOutput(const char* path, RefineOptions& options) {
    options.format = meshFormatOf(path);
    if (options.format == MeshFormat::Text) return std::string("the output '") + path + "' must end in .obj or .off";
    options.output = path;
    return "";
}

// One option that takes a value; `value` is that value, or null when missing.
std::string takeValue(const std::string& name, const char* value, RefineOptions& options) {
    if (!value) return "option '" + name + "' needs a value";
    std::string error;
    if (takeScheme(name, value, options, error)) return error;
    long long number;
    if (name == "--level" || name == "-l") {
        if (!parseCount(value, INT_MAX, number)) return std::string("invalid level '") + value + "'";
        options.level = static_cast<int>(number);
        return "";
    }
    if (name == "--threads" || name == "-j") {
        if (!parseCount(value, 4096, number) || number == 0) return std::string("invalid thread count '") + value + "'";
        options.threads = static_cast<int>(number);
        return "";
    }
    if (name == "--memory-limit") {
        if (!parseCount(value, LLONG_MAX / (1024 * 1024), number))
            return std::string("invalid memory limit '") + value + "'";
        options.memoryLimitMiB = number;
        return "";
    }
    return setOutput(value, options);
}

bool takesValue(const std::string& name) {
    return name == "--level" || name == "-l" || name == "--output" || name == "-o" || name == "--memory-limit" ||
           name == "--threads" || name == "-j" || name == "--boundary" || name == "--creasing" || name == "--triangles" ||
           name == "--uv-interpolation";
}

}  // namespace

SchemeOptions RefineOptions::schemeOver(const SchemeOptions& file) const {
    SchemeOptions result = file;
    if (boundary) result.boundary = *boundary;
    if (creasing) result.creasing = *creasing;
    if (triangles) result.triangles = *triangles;
    if (faceVarying) result.faceVarying = *faceVarying;
    return result;
}

std::string parseRefineOptions(int argc, const char* const* argv, RefineOptions& options) {
    bool optionsEnded = false;
    int inputs = 0;
    for (int k = 1; k < argc; ++k) {
        const char* arg = argv[k];
        if (optionsEnded || arg[0] != '-' || arg[1] == '\0') {
            if (++inputs == 1) options.input = arg;
            continue;
        }
        const char* inlineValue;
        const std::string name = optionName(arg, inlineValue);
        if (name == "--") optionsEnded = true;
        else if (name == "--help" || name == "-h") options.help = true;
        else if (name == "--dump") options.dump = true;
        else if (name == "--progress") options.progress = true;
        else if (name == "--limit") options.limit = true;
        else if (name == "--normals") options.normals = true;
        else if (takesValue(name)) {
            const char* value = inlineValue ? inlineValue : (k + 1 < argc ? argv[++k] : nullptr);
            std::string error = takeValue(name, value, options);
            if (!error.empty()) return error;
        } else
            return "unknown option '" + name + "'";
        if (inlineValue && !takesValue(name)) return "option '" + name + "' takes no value";
    }
    if (options.help) return "";
    if (inputs == 0) return "missing the input file";
    if (inputs > 1) return "more than one input file";
    if ((options.limit || options.normals) && options.output.empty())
        return std::string("option '") + (options.limit ? "--limit" : "--normals") + "' needs an output file";
    if (options.normals && options.format != MeshFormat::Obj) return "option '--normals' needs an .obj output";
    return "";
}

}  // namespace facetry
