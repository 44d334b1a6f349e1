#pragma once
// The viewer's commands: the five menu actions and the keys that stand for
// them. Each action changes the viewer, then asks for a redraw.

#include "app/viewer.h"

namespace facetry {

// Menu values of the "Facetry" (refine), "Zoom" and main menus.
constexpr int kRefineSubdivide = 1;
constexpr int kRefineUndivide = 2;
constexpr int kRefineReset = 3;
constexpr int kZoomIn = 1;
constexpr int kZoomOut = 2;
constexpr int kMainQuit = 1;

// The control mesh's display mode: whatever value arrives is stored.
void meshMenu(Viewer& viewer, int value);
// The surface's display mode: whatever value arrives is stored.
void mrMeshMenu(Viewer& viewer, int value);
// Subdivide, undivide or reset the surface; other values do nothing.
void refineMenu(Viewer& viewer, int value);
// Zoom in or out by one step; other values do nothing.
void zoomMenu(Viewer& viewer, int value);
// Quit ends the process with status 0 (in an editing session with unsaved
// changes, only when asked a second time); other values do nothing.
void mainMenu(Viewer& viewer, int value);

// What a key does: the menu action it stands for and its value.
struct KeyCommand {
    enum Menu { kNone, kZoom, kRefine, kMain };
    Menu menu = kNone;  // the menu whose action the key takes, kNone for an ignored key
    int value = 0;      // the entry's value in that menu
};
// Maps a key, in either case, to its command; '=' zooms in like '+'.
KeyCommand keyCommand(int key);
// Runs the command of a key; ignored keys change nothing and do not redraw.
// In an editing session the session's keys (sessionKey) work too.
void keyboard(Viewer& viewer, int key);

// The editing session's keys, in either case: w save, u undo, y redo, e
// export, v view back to the start, h list the keys. Returns whether `key`
// is one of them. Undo, redo and save wait for a vertex drag to end.
bool sessionKey(Viewer& viewer, int key);
// Takes back the last drag, or does it again: the vertex moves as under a
// motion event (setPosition, then the surface's vertexMoved). Each says
// "Nothing to undo" or "Nothing to redo" when there is no step.
void undoDrag(Viewer& viewer);
void redoDrag(Viewer& viewer);
// Saves the control mesh to the session's output; one line either way.
void saveControlMesh(Viewer& viewer);
// Writes the surface at its level, as facetry-refine --level --output does,
// to exportName(output, level); one line either way.
void exportSurface(Viewer& viewer);
// Turn and zoom back to those at the start.
void resetView(Viewer& viewer);
// Whether quitting may go ahead: not in a session with unsaved changes the
// first time, which says so on standard error.
bool mayQuit(Viewer& viewer);

}  // namespace facetry
