#pragma once
// The editing session (facetry --edit INPUT [OUTPUT]): what it keeps besides
// the viewer's state, its command line and the names of the files it writes.
// The plain viewer (facetry INPUT [OUTPUT]) has no session: it writes no file
// and its second argument is not used.

#include <string>

#include "app/edithistory.h"
#include "math/vector.h"
#include "mesh/meshfile.h"

namespace facetry {

// What the viewer's command line asks for.
struct ViewerCommandLine {
    bool help = false;   // --help: print the usage and stop
    bool edit = false;   // --edit: an editing session
    std::string input;   // the control mesh
    std::string output;  // the session's OUTPUT, empty for the default name
};

// `facetry` without arguments prints the viewer's usage line alone, as it
// always has; a bad --edit command line this one, which also names --edit.
extern const char* const kViewerUsage;
extern const char* const kEditUsage;
// The --help text.
extern const char* const kViewerHelp;

// Parses argv: `--help`, `--edit INPUT [OUTPUT]`, or the plain viewer's
// `INPUT [OUTPUT]` with anything after it ignored (an INPUT that starts with
// "--" other than these two is a file name, as it always was). False for a
// command line without an input or an --edit one with more than two names.
bool parseViewerCommandLine(int argc, const char* const* argv, ViewerCommandLine& line);

// The default OUTPUT: INPUT with "-edited" before its extension
// (torus.mesh -> torus-edited.mesh), in the same directory; never INPUT.
std::string editedName(const std::string& input);
// Where the export of the surface at `level` goes: OUTPUT with "-L<level>"
// before its extension, as OBJ unless OUTPUT is OFF (torus-edited.mesh, 2 ->
// torus-edited-L2.obj).
std::string exportName(const std::string& output, int level);

// Where a session drag started, in the view it started in: the vertex
// follows the pointer in the plane through its start position parallel to
// the screen.
struct PointerPlane {
    bool valid = false;    // the view at the press could be inverted
    double modelview[16];  // the view at the press, as OpenGL gives it
    double projection[16];
    int viewport[4];
    double window[3];      // the vertex's start position in window coordinates (y up, depth 0..1)
    int pressX = 0;        // the pointer at the press, window coordinates (y down)
    int pressY = 0;
    Vector start;          // the vertex's position at the press
};

struct EditSession {
    EditSession(std::string input_, std::string output_);

    std::string input;     // the control mesh file
    std::string output;    // where saving writes
    EditHistory history;   // the drags, for undo and redo
    bool quitAsked = false;  // q was pressed once with unsaved changes
    PointerPlane plane;    // the drag in progress, if any
};

// The window title: the input's file name, the level and "*" for unsaved
// changes, as in "Facetry - torus.mesh - level 2 *".
std::string sessionTitle(const EditSession& session, int level);
// The line that lists the session's keys.
std::string sessionKeysLine(const EditSession& session);

}  // namespace facetry
