#include "app/commands.h"

#include "app/programio.h"

#include <cctype>
#include <cstdlib>

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

void mainMenu(Viewer&, int value) {
    if (value == kMainQuit) std::exit(0);
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
            break;
    }
}
