// The frame benchmark's probe, loaded into an unmodified facetry with
// LD_PRELOAD. It stands between GLUT and the program's callbacks and writes
// one line per frame to the file named by FACETRY_FRAME_LOG:
//
//   frame K calls C cpu T wall W event E eventcpu T2 eventwall W2 hits H
//
// C: the OpenGL calls of the display callback (0 unless built with the call
// counter); T, W: its process CPU time (every thread, the renderer's
// included) and wall time in ms, buffer swap included; E: the last callback
// that ran since the previous frame (key, motion, press, release, none); T2,
// W2: the time of those callbacks; H: whether the last press picked a
// control vertex (1) or not (0), read from the program's selection buffer.
//
// The keys 1 to 4, which the program ignores, choose the surface's display
// mode through its own "MrMesh" menu callback, so the benchmark can switch
// modes without the menu.
#include <GL/gl.h>
#include <dlfcn.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef FACETRY_COUNT_CALLS
#include "glcallcounter.h"

using namespace facetry;
#endif

namespace {

using DisplayCallback = void (*)();
using KeyCallback = void (*)(unsigned char, int, int);
using MouseCallback = void (*)(int, int, int, int);
using MotionCallback = void (*)(int, int);
using MenuCallback = void (*)(int);

DisplayCallback appDisplay = nullptr;
KeyCallback appKeyboard = nullptr;
MouseCallback appMouse = nullptr;
MotionCallback appMotion = nullptr;
MenuCallback appMenus[8] = {};  // the program's menus in the order it made them
int menusMade = 0;
constexpr int kSurfaceMenu = 1;  // the second menu: "MrMesh"

GLuint* selectBuffer = nullptr;  // the program's selection buffer
bool lastPressPicked = false;

FILE* logFile = nullptr;
long frames = 0;
const char* lastEvent = "none";
double eventCpu = 0, eventWall = 0;  // ms in callbacks since the last frame

double clockMs(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
}

long long callsSoFar() {
#ifdef FACETRY_COUNT_CALLS
    return glCallCount();
#else
    return 0;
#endif
}

template <class Function>
Function nextFunction(const char* name) {
    void* function = dlsym(RTLD_NEXT, name);
    if (!function) {
        std::fprintf(stderr, "frameshim: no %s\n", name);
        std::abort();
    }
    return reinterpret_cast<Function>(function);
}

// Runs one event callback, adding its time to the frame that follows.
template <class Call>
void timedEvent(const char* kind, Call call) {
    const double cpu = clockMs(CLOCK_PROCESS_CPUTIME_ID), wall = clockMs(CLOCK_MONOTONIC);
    call();
    eventCpu += clockMs(CLOCK_PROCESS_CPUTIME_ID) - cpu;
    eventWall += clockMs(CLOCK_MONOTONIC) - wall;
    lastEvent = kind;
}

void display() {
    const long long calls = callsSoFar();
    const double cpu = clockMs(CLOCK_PROCESS_CPUTIME_ID), wall = clockMs(CLOCK_MONOTONIC);
    appDisplay();
    const double cpuSpent = clockMs(CLOCK_PROCESS_CPUTIME_ID) - cpu, wallSpent = clockMs(CLOCK_MONOTONIC) - wall;
    if (!logFile) {
        const char* path = std::getenv("FACETRY_FRAME_LOG");
        logFile = std::fopen(path ? path : "/dev/null", "w");
    }
    std::fprintf(logFile, "frame %ld calls %lld cpu %.3f wall %.3f event %s eventcpu %.3f eventwall %.3f hits %d\n",
                 frames++, callsSoFar() - calls, cpuSpent, wallSpent, lastEvent, eventCpu, eventWall,
                 lastPressPicked ? 1 : 0);
    std::fflush(logFile);
    lastEvent = "none";
    eventCpu = eventWall = 0;
}

void keyboard(unsigned char key, int x, int y) {
    if (key >= '1' && key <= '4' && menusMade > kSurfaceMenu) {
        timedEvent("mode", [&] { appMenus[kSurfaceMenu](key - '0'); });
        return;
    }
    timedEvent("key", [&] { appKeyboard(key, x, y); });
}

void mouse(int button, int state, int x, int y) {
    if (selectBuffer) selectBuffer[0] = 0;  // a hit record starts with its name count, 1 here
    timedEvent(state == 0 ? "press" : "release", [&] { appMouse(button, state, x, y); });
    if (state == 0) lastPressPicked = selectBuffer && selectBuffer[0] == 1;
}

void motion(int x, int y) {
    timedEvent("motion", [&] { appMotion(x, y); });
}

}  // namespace

// The program's own window registers its callbacks first; GLUT registers
// more of its own for its menu windows, which go through untouched.
extern "C" {

void glutDisplayFunc(DisplayCallback callback) {
    DisplayCallback registered = callback;
    if (!appDisplay && callback) {
        appDisplay = callback;
        registered = display;
    }
    nextFunction<void (*)(DisplayCallback)>("glutDisplayFunc")(registered);
}

void glutKeyboardFunc(KeyCallback callback) {
    KeyCallback registered = callback;
    if (!appKeyboard && callback) {
        appKeyboard = callback;
        registered = keyboard;
    }
    nextFunction<void (*)(KeyCallback)>("glutKeyboardFunc")(registered);
}

void glutMouseFunc(MouseCallback callback) {
    MouseCallback registered = callback;
    if (!appMouse && callback) {
        appMouse = callback;
        registered = mouse;
    }
    nextFunction<void (*)(MouseCallback)>("glutMouseFunc")(registered);
}

void glutMotionFunc(MotionCallback callback) {
    MotionCallback registered = callback;
    if (!appMotion && callback) {
        appMotion = callback;
        registered = motion;
    }
    nextFunction<void (*)(MotionCallback)>("glutMotionFunc")(registered);
}

int glutCreateMenu(MenuCallback callback) {
    if (menusMade < 8) appMenus[menusMade] = callback;
    ++menusMade;
    return nextFunction<int (*)(MenuCallback)>("glutCreateMenu")(callback);
}

void glSelectBuffer(GLsizei size, GLuint* buffer) {
    selectBuffer = buffer;
    nextFunction<void (*)(GLsizei, GLuint*)>("glSelectBuffer")(size, buffer);
}

}  // extern "C"
