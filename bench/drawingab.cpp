// The second table of the frame benchmark: the surface's drawing alone, old
// and new in one process on one surface, frame for frame in turn, so that
// what else the machine does weighs on both alike. Old is the immediate-mode
// drawing the viewer's tests keep as their oracle (tests/app/drawreference),
// new the vertex arrays the viewer keeps (SurfaceDrawing). Same window, view
// and OpenGL state as the viewer; the control mesh is not drawn.
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/startup.h"
#include "app/view.h"
#include "app/window.h"
#include "benchmeshes.h"
#include "drawreference.h"
#include "draw/surfacedrawing.h"

using namespace facetry;

namespace {

double clockMs(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// One frame of the surface in `mode`, drawn the old way or from the arrays;
// its process CPU time in ms.
double frame(const View& view, const MrMesh& surface, SurfaceDrawing& drawing, int mode, bool old) {
    const double start = clockMs(CLOCK_PROCESS_CPUTIME_ID);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setModelview(view);
    glColor3f(0.5f, 0.5f, 0.5f);
    if (old) {
        if (mode == kDisplayFaces) glEnable(GL_LIGHTING);
        referenceSurface(surface, mode);
    } else {
        drawSurface(drawing, mode);
    }
    glDisable(GL_LIGHTING);
    glutSwapBuffers();
    glFinish();
    return clockMs(CLOCK_PROCESS_CPUTIME_ID) - start;
}

}  // namespace

int main(int argc, char** argv) {
    // --max-level N and --frames N as the program benchmark takes them; its other options do not apply
    int maxLevel = 3, frames = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--max-level") maxLevel = std::atoi(argv[i + 1]);
        if (std::string(argv[i]) == "--frames") frames = std::atoi(argv[i + 1]);
    }
    if (maxLevel < 0 || frames < 1) {
        std::fprintf(stderr, "usage: facetry_drawingab [--max-level N] [--frames N]\n");
        return 2;
    }
    int glutArgc = 1;
    char name[] = "facetry_drawingab";
    char* glutArgv[] = {name, nullptr};
    glutInit(&glutArgc, glutArgv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
    glutCreateWindow("Facetry drawing");
    setFixedGlState();
    glShadeModel(GL_FLAT);  // as after the viewer's first frame

    std::string text = triangleSphere().text;
    FILE* in = fmemopen(&text[0], text.size(), "r");
    Mesh mesh;
    mesh.load(in, [](const std::string&) {});
    std::fclose(in);
    MrMesh surface;
    surface.build(mesh);
    SurfaceDrawing drawing(surface);
    View view;
    const ViewFit fit = fitView(mesh);
    view.center = fit.center;
    view.scale = fit.scale;
    view.resize(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    glViewport(0, 0, view.windowWidth, view.windowHeight);
    setProjection(view, false, 0, 0);

    std::printf("The surface's drawing alone, old (immediate mode) and new (vertex arrays) in turn in one process:\n"
                "ms of process CPU per frame, medians of %d, control mesh not drawn.\n", frames);
    std::printf("%2s | %17s | %17s | %17s | %17s\n", "L", "vertices old/new", "edges old/new", "colored old/new",
                "faces old/new");
    const int modes[] = {kDisplayVertices, kDisplayEdges, kDisplayColoredEdges, kDisplayFaces};
    for (int level = 0; level <= maxLevel; ++level) {
        std::printf("%2d", level);
        for (int mode : modes) {
            frame(view, surface, drawing, mode, false);  // builds what the mode needs
            std::vector<double> old, arrays;
            for (int k = 0; k < frames; ++k) {
                old.push_back(frame(view, surface, drawing, mode, true));
                arrays.push_back(frame(view, surface, drawing, mode, false));
            }
            std::printf(" | %8.1f %8.1f", median(old), median(arrays));
        }
        std::printf("\n");
        std::fflush(stdout);
        if (level < maxLevel) surface.subdivide();
    }
    glutExit();
}
