#include "app/commands.h"

#include "app/programio.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "mesh/filewriting.h"
#include "mesh/meshwriter.h"
#include "mr/surfaceexport.h"

namespace facetry {

void meshMenu(Viewer& viewer, int value) {
    viewer.view.meshDisplay = value;
    viewer.redisplay();
}

void mrMeshMenu(Viewer& viewer, int value) {
    viewer.view.mrMeshDisplay = value;
    viewer.redisplay();
}

void refineMenu(Viewer& viewer, int value) {
    switch (value) {
        case kRefineSubdivide:
            // A level refused for lack of memory is said on standard error;
            // the picture stays as it was.
            printStatus(viewer.mrMesh->subdivide());
            break;
        case kRefineUndivide:
            printStatus(viewer.mrMesh->undivide());
            viewer.levelDropped = true;
            break;
        case kRefineReset:
            viewer.mrMesh->reset();
            viewer.levelDropped = true;
            break;
        default:
            return;
    }
    viewer.redisplay();
}

void zoomMenu(Viewer& viewer, int value) {
    if (value == kZoomIn)
        viewer.view.zoomIn();
    else if (value == kZoomOut)
        viewer.view.zoomOut();
    else
        return;
    viewer.redisplay();
}

void mainMenu(Viewer& viewer, int value) {
    if (value == kMainQuit && mayQuit(viewer)) std::exit(0);
}

KeyCommand keyCommand(int key) {
    switch (std::toupper(key & 0xff)) {
        case '+':
        case '=':
            return {KeyCommand::kZoom, kZoomIn};
        case '-':
            return {KeyCommand::kZoom, kZoomOut};
        case 'S':
            return {KeyCommand::kRefine, kRefineSubdivide};
        case 'D':
            return {KeyCommand::kRefine, kRefineUndivide};
        case 'R':
            return {KeyCommand::kRefine, kRefineReset};
        case 'Q':
            return {KeyCommand::kMain, kMainQuit};
        default:
            return {};
    }
}

void keyboard(Viewer& viewer, int key) {
    KeyCommand command = keyCommand(key);
    switch (command.menu) {
        case KeyCommand::kZoom:
            zoomMenu(viewer, command.value);
            break;
        case KeyCommand::kRefine:
            refineMenu(viewer, command.value);
            break;
        case KeyCommand::kMain:
            mainMenu(viewer, command.value);
            break;
        case KeyCommand::kNone:
            if (viewer.session) sessionKey(viewer, key);
            break;
    }
}

namespace {

// The path a motion event takes: the vertex moves, the surface follows.
void placeVertex(Viewer& viewer, int vertex, const Vector& p) {
    MeshVertex* v = viewer.mesh->vertex(vertex);
    v->setPosition(p);
    printStatus(viewer.mrMesh->vertexMoved(v));
    viewer.session->quitAsked = false;
    viewer.redisplay();
}

}  // namespace

namespace {

// Where a control vertex of the viewer's mesh stands now.
EditHistory::PositionOf positionsOf(const Viewer& viewer) {
    return [&viewer](int vertex) { return viewer.mesh->vertex(vertex)->position(); };
}

// Carries out a step's move, or says there is none.
void takeStep(Viewer& viewer, const std::optional<EditMove>& move, const char* none) {
    if (move)
        placeVertex(viewer, move->vertex, move->to);
    else
        printStatus({true, none});
}

}  // namespace

void undoDrag(Viewer& viewer) { takeStep(viewer, viewer.session->history.undo(positionsOf(viewer)), "Nothing to undo"); }
void redoDrag(Viewer& viewer) { takeStep(viewer, viewer.session->history.redo(positionsOf(viewer)), "Nothing to redo"); }

void saveControlMesh(Viewer& viewer) {
    EditSession& session = *viewer.session;
    const Status saved = saveMesh(*viewer.mesh, session.output);
    if (saved) {
        session.history.markSaved();
        session.quitAsked = false;
        printStatus({true, "Saved " + session.output});
        viewer.redisplay();  // the title loses its mark
    } else {
        printStatus({false, "facetry: not saved: " + saved.message});
    }
}

void exportSurface(Viewer& viewer) {
    const MrMesh& surface = *viewer.mrMesh;
    const std::string path = exportName(viewer.session->output, surface.curRes());
    const MeshFormat format = meshFormatOf(path);
    const Status written = replaceFile(path, [&](FILE* out) { return writeSurface(out, surface, format); });
    if (written)
        printStatus({true, "Exported level " + std::to_string(surface.curRes()) + " to " + path});
    else
        printStatus({false, "facetry: not exported: " + written.message});
}

void resetView(Viewer& viewer) {
    viewer.view.zoom = View().zoom;
    viewer.arcball = Arcball();
    viewer.arcball.copyMatrix(viewer.view.viewRotation);
    viewer.redisplay();
}

bool mayQuit(Viewer& viewer) {
    EditSession* session = viewer.session.get();
    if (!session || session->history.unchanged() || session->quitAsked) return true;
    session->quitAsked = true;
    printStatus({false, "facetry: unsaved changes (w saves them); q again quits without saving"});
    return false;
}

bool sessionKey(Viewer& viewer, int key) {
    const int k = std::toupper(key & 0xff);
    // a drag's step is recorded at its release
    const bool dragging = viewer.drag.draggingVertex;
    switch (k) {
        case 'W':
            if (!dragging) saveControlMesh(viewer);
            return true;
        case 'U':
            if (!dragging) undoDrag(viewer);
            return true;
        case 'Y':
            if (!dragging) redoDrag(viewer);
            return true;
        case 'E':
            exportSurface(viewer);
            return true;
        case 'V':
            resetView(viewer);
            return true;
        case 'H':
            printStatus({true, sessionKeysLine(*viewer.session)});
            return true;
        default:
            return false;
    }
}

}  // namespace facetry
