#include "app/editsession.h"

#include <cstring>
#include <utility>

namespace facetry {

const char* const kViewerUsage = "\nSyntax: facetry [input] [output]\n";
const char* const kEditUsage =
    "\nSyntax: facetry [input] [output]\n        facetry --edit input [output]\n        facetry --help\n";
const char* const kViewerHelp =
    "Usage: facetry INPUT [OUTPUT]\n"
    "       facetry --edit INPUT [OUTPUT]\n"
    "\n"
    "Shows the Catmull-Clark surface of the control mesh INPUT (the text format,\n"
    ".obj or .off); OUTPUT is not used. Keys: s subdivide, d undivide, r reset,\n"
    "+ and - zoom, q quit; drag a control vertex to move it, anywhere else to turn.\n"
    "\n"
    "--edit  an editing session: the same viewer, and its edits can be kept.\n"
    "        w  save the control mesh to OUTPUT (default INPUT-edited, e.g.\n"
    "           torus-edited.mesh), in the format its extension names\n"
    "        u  undo the last drag       y  redo it\n"
    "        e  export the surface at the current level (OUTPUT-L<level>.obj,\n"
    "           or .off for an OFF OUTPUT), as facetry-refine --level writes it\n"
    "        v  view back to the start   h  list the keys\n"
    "        q  quit (twice with unsaved changes)\n";

bool parseViewerCommandLine(int argc, const char* const* argv, ViewerCommandLine& line) {
    line = ViewerCommandLine();
    if (argc <= 1) return false;
    if (std::strcmp(argv[1], "--help") == 0) {
        line.help = true;
        return true;
    }
    if (std::strcmp(argv[1], "--edit") == 0) {
        if (argc < 3 || argc > 4) return false;
        line.edit = true;
        line.input = argv[2];
        if (argc == 4) line.output = argv[3];
        return true;
    }
    line.input = argv[1];
    return true;
}

namespace {

// Where the extension of the file name in `path` starts (its last dot, not
// the first character of the name), or npos for none.
std::size_t extensionStart(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    return dot == std::string::npos || dot <= name ? std::string::npos : dot;
}

std::string insertBeforeExtension(const std::string& path, const std::string& text, std::string* extension) {
    const std::size_t dot = extensionStart(path);
    const std::string stem = dot == std::string::npos ? path : path.substr(0, dot);
    const std::string ext = dot == std::string::npos ? "" : path.substr(dot);
    if (extension) *extension = ext;
    return stem + text;
}

}  // namespace

std::string editedName(const std::string& input) {
    std::string ext;
    const std::string stem = insertBeforeExtension(input, "-edited", &ext);
    return stem + ext;
}

std::string exportName(const std::string& output, int level) {
    std::string ext;
    const std::string stem = insertBeforeExtension(output, "-L" + std::to_string(level), &ext);
    return stem + (meshFormatOf(output) == MeshFormat::Text ? ".obj" : ext);
}

EditSession::EditSession(std::string input_, std::string output_)
    : input(std::move(input_)), output(output_.empty() ? editedName(input) : std::move(output_)) {}

std::string sessionTitle(const EditSession& session, int level) {
    const std::size_t slash = session.input.find_last_of('/');
    const std::string name = slash == std::string::npos ? session.input : session.input.substr(slash + 1);
    return "Facetry - " + name + " - level " + std::to_string(level) + (session.history.unchanged() ? "" : " *");
}

std::string sessionKeysLine(const EditSession& session) {
    return "Editing keys: w save to " + session.output + ", u undo, y redo, e export the surface, "
           "v view back to the start, h these keys, q quit";
}

}  // namespace facetry
