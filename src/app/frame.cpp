#include "app/frame.h"

#include <GL/gl.h>

#include "draw/glcolor.h"
#include "draw/meshdraw.h"

namespace facetry {

void drawSurface(SurfaceDrawing& surface, int mode) {
    switch (mode) {
        case kDisplayVertices:
            glDisable(GL_LIGHTING);
            surface.drawVertices();
            break;
        case kDisplayEdges:
            glDisable(GL_LIGHTING);
            surface.drawEdges();
            break;
        case kDisplayColoredEdges:
            glDisable(GL_LIGHTING);
            surface.drawColoredEdges();
            break;
        case kDisplayFaces:
            // the faces take the current colour through the colour material
            glEnable(GL_LIGHTING);
            glShadeModel(GL_FLAT);
            surface.drawFaces();
            break;
        default:
            break;
    }
}

void drawControlMesh(const Mesh& mesh, int mode) {
    switch (mode) {
        case kDisplayVertices:
            setColor(green);
            drawVertices(mesh);
            break;
        case kDisplayEdges:
            // drawEdges draws the vertices again on top, in the edge colour
            setColor(green);
            drawVertices(mesh);
            setColor(darkGreen);
            drawEdges(mesh);
            break;
        default:
            break;
    }
}

void drawFrame(const Viewer& viewer) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setModelview(viewer.view);
    setColor(grey);
    FACETRY_ASSERT(viewer.surfaceDrawing);
    drawSurface(*viewer.surfaceDrawing, viewer.view.mrMeshDisplay);
    glDisable(GL_LIGHTING);
    drawControlMesh(*viewer.mesh, viewer.view.meshDisplay);
    glDisable(GL_LIGHTING);
    // the guides sit in world space, untouched by rotation, zoom and scale
    glLoadIdentity();
    viewer.arcball.draw();
}

}  // namespace facetry
