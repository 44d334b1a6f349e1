#pragma once
// The one GLUT window: its callbacks, its pop-up menus and the OpenGL state
// that never changes after start-up.

#include "app/viewer.h"

namespace facetry {

// Opens the window titled "Facetry" for the viewer, registers the callbacks
// and menus, sets the fixed OpenGL state and runs the event loop. Never returns.
[[noreturn]] void openWindow(Viewer& viewer, int argc, char** argv);
// Builds the menu tree and attaches it to the right button.
void buildMenus();
// The fixed state: selection buffer, material, the light fixed to the camera,
// depth test, normalisation, colour material, two-sided lighting. Call once,
// with the identity modelview.
void setFixedGlState();

}  // namespace facetry
