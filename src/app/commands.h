#pragma once
// The viewer's commands: the five menu actions and the keys that stand for
// them. Each action changes the viewer, then asks for a redraw.

#include "app/viewer.h"

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
// Quit ends the process with status 0; other values do nothing.
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
void keyboard(Viewer& viewer, int key);
