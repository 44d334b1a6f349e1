#include "app/window.h"

#include <GL/gl.h>
#include <GL/glut.h>
#include <malloc.h>

#include <cstdlib>
#include <string>

#include "app/commands.h"
#include "app/frame.h"
#include "app/main.h"
#include "app/picking.h"

namespace facetry {

namespace {

// The viewer the callbacks forward to, set once by openWindow.
Viewer* theViewer = nullptr;

// The surface material and the one light.
const GLfloat kSpecular[4] = {0.3f, 0.3f, 0.3f, 0.3f};
const GLfloat kShininess = 100;
const GLfloat kLightDirection[4] = {1, 1, 1, 0};  // w = 0: a directional light

// The session's title as last set.
std::string shownTitle;

// In an editing session the title follows the level and the unsaved mark.
void updateTitle() {
    if (!theViewer->session) return;
    const std::string title = sessionTitle(*theViewer->session, theViewer->mrMesh->curRes());
    if (title == shownTitle) return;
    shownTitle = title;
    glutSetWindowTitle(title.c_str());
}

void display() {
    updateTitle();
    drawFrame(*theViewer);
    glutSwapBuffers();
    // The surface gives its levels' blocks back to the system itself; what
    // the heap took for the finer level's frames (the OpenGL driver's among
    // them) goes back once the coarser level has been drawn.
    if (theViewer->levelDropped) {
        malloc_trim(0);
        theViewer->levelDropped = false;
    }
}

void reshape(int w, int h) {
    theViewer->view.resize(w, h);
    glViewport(0, 0, w, h);
    setProjection(theViewer->view, false, 0, 0);
}

void keyboard(unsigned char key, int, int) { keyboard(*theViewer, key); }
void mouse(int button, int state, int x, int y) { mouse(*theViewer, button, state, x, y); }
void motion(int x, int y) { motion(*theViewer, x, y); }
void meshMenu(int value) { meshMenu(*theViewer, value); }
void mrMeshMenu(int value) { mrMeshMenu(*theViewer, value); }
void refineMenu(int value) { refineMenu(*theViewer, value); }
void zoomMenu(int value) { zoomMenu(*theViewer, value); }
void mainMenu(int value) { mainMenu(*theViewer, value); }

}  // namespace

void buildMenus() {
    int mesh = glutCreateMenu(meshMenu);
    glutAddMenuEntry("Vertices", kDisplayVertices);
    glutAddMenuEntry("Edges", kDisplayEdges);
    glutAddMenuEntry("Off", kDisplayOff);
    int mrMesh = glutCreateMenu(mrMeshMenu);
    glutAddMenuEntry("Vertices", kDisplayVertices);
    glutAddMenuEntry("Edges", kDisplayEdges);
    glutAddMenuEntry("Colored Edges", kDisplayColoredEdges);
    glutAddMenuEntry("Faces", kDisplayFaces);
    glutAddMenuEntry("Off", kDisplayOff);
    int refine = glutCreateMenu(refineMenu);
    glutAddMenuEntry("&Subdivide", kRefineSubdivide);
    glutAddMenuEntry("Un&divide", kRefineUndivide);
    glutAddMenuEntry("&Reset", kRefineReset);
    int zoom = glutCreateMenu(zoomMenu);
    glutAddMenuEntry("&+", kZoomIn);
    glutAddMenuEntry("&-", kZoomOut);
    glutCreateMenu(mainMenu);
    glutAddSubMenu("Mesh", mesh);
    glutAddSubMenu("MrMesh", mrMesh);
    glutAddSubMenu("Facetry", refine);
    glutAddSubMenu("Zoom", zoom);
    glutAddMenuEntry("&Quit", kMainQuit);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

void setFixedGlState() {
    installSelectBuffer();
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kSpecular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, &kShininess);
    // set under the identity modelview, so the light turns with the camera
    glLightfv(GL_LIGHT0, GL_POSITION, kLightDirection);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glEnable(GL_COLOR_MATERIAL);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
}

void openWindow(Viewer& viewer, int argc, char** argv) {
    theViewer = &viewer;
    viewer.postRedisplay = glutPostRedisplay;
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
    if (viewer.session) shownTitle = sessionTitle(*viewer.session, viewer.mrMesh->curRes());
    glutCreateWindow(viewer.session ? shownTitle.c_str() : "Facetry");
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutKeyboardFunc(keyboard);
    buildMenus();
    setFixedGlState();
    glutMainLoop();
    // freeglut's loop does not return unless told to; nothing here asks it to
    std::exit(0);
}

}  // namespace facetry
