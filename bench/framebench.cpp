// The frame benchmark: what a frame of the real facetry costs under Xvfb
// with Mesa's software renderer, for two builds of the program (before and
// after a change), at levels 0 to N of the 50,000-triangle sphere.
//
// Each build runs twice under frameshim (see frameshim.cpp), driven with
// xdotool like a user: once with the OpenGL call counter, for the calls per
// frame, and once without, for the times. At each level every display mode
// is shown and redrawn by zoom keys; then, in the faces mode, a control
// vertex is dragged over several motion events. The viewer is driven
// through the end-to-end tests' harness (tests/app/x11session.h). Run it through
// bench/frames.sh, which builds everything and starts the X server.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/startup.h"
#include "benchmeshes.h"
#include "mesh/mesh.h"
#include "x11session.h"

using namespace facetry;

namespace {

constexpr int kModes = 4;  // the surface's display modes, menu values 1 to 4
const char* const kModeNames[kModes] = {"vertices", "edges", "colored", "faces"};
constexpr int kFacesMode = 4;
constexpr double kFrameTimeout = 120;  // seconds a frame may take (the old drawing at level 3 needs a few)

struct Options {
    std::string before, after;        // the two facetry binaries
    std::string countShim, timeShim;  // frameshim with and without the call counter
    int maxLevel = 3;
    int frames = 5;  // redraws measured per mode and level
    int drags = 8;   // motion events per drag (the first one, after the pick, is not counted)
};

// One line of the shim's log.
struct Frame {
    long calls = 0;
    double cpu = 0, wall = 0;
    std::string event;
    double eventCpu = 0, eventWall = 0;
    int hits = 0;
};

double median(std::vector<double> v) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// One facetry process under the shim, driven through the viewer tests'
// harness, with its frame log.
class Session {
public:
    Session(const std::string& binary, const std::string& shim, const std::string& meshFile)
        : log{freshLog()}, viewer(meshFile, launch(binary, shim, log.path)) {
        awaitFrames(1);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool ok() const { return viewer.started() && !frames.empty(); }
    // Waits until the log holds `count` frames in all; false on a timeout.
    bool awaitFrames(size_t count) {
        auto start = std::chrono::steady_clock::now();
        while (frames.size() < count) {
            readLog();
            if (frames.size() >= count) break;
            if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > kFrameTimeout) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }
    // Presses a key with the pointer in the window and returns the frame it
    // brings.
    Frame key(const std::string& name) {
        const bool modeKey = name.size() == 1 && name[0] >= '1' && name[0] <= '4';
        return afterEvent("key " + name, modeKey ? "mode" : "key", [&] { viewer.key(name); });
    }
    void press() { viewer.press(); }
    void release() { viewer.release(); }
    // The key Q, after which no frame comes.
    void quit() { viewer.key("q"); }
    void pointAt(int x, int y) { viewer.moveTo(x, y); }
    // Runs an action that brings one frame, and returns that frame, which
    // must have followed a callback of the kind `event` (see frameshim.cpp).
    template <class Action>
    Frame afterEvent(const std::string& what, const std::string& event, Action action) {
        const size_t count = frames.size() + 1;
        action();
        if (!awaitFrames(count)) {
            std::fprintf(stderr, "no frame within %.0f s after %s\n", kFrameTimeout, what.c_str());
            std::exit(1);
        }
        if (frames.size() != count || frames[count - 1].event != event) {
            std::fprintf(stderr, "frames out of step after %s: %zu frames, the last after %s\n", what.c_str(),
                         frames.size(), frames.back().event.c_str());
            std::exit(1);
        }
        return frames[count - 1];
    }
    // Resident memory of the process, in MiB.
    double residentMiB() const {
        std::ifstream status("/proc/" + std::to_string(viewer.processId()) + "/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024;
        return NAN;
    }
    int width() const { return viewer.width; }
    int height() const { return viewer.height; }

private:
    static std::string freshLog() {
        const std::string path = "/tmp/facetry-frames-" + std::to_string(getpid()) + ".log";
        std::remove(path.c_str());
        return path;
    }
    static ViewerLaunch launch(const std::string& binary, const std::string& shim, const std::string& log) {
        ViewerLaunch l;
        l.program = binary;
        l.environment = {{"LD_PRELOAD", shim}, {"FACETRY_FRAME_LOG", log}};
        l.windowSeconds = 60;  // the 50,000-triangle sphere loads first
        return l;
    }
    void readLog() {
        std::ifstream in(log.path);
        std::string line;
        std::vector<Frame> read;
        while (std::getline(in, line)) {
            Frame f;
            char event[32] = "";
            long index;
            if (std::sscanf(line.c_str(), "frame %ld calls %ld cpu %lf wall %lf event %31s eventcpu %lf eventwall %lf hits %d",
                            &index, &f.calls, &f.cpu, &f.wall, event, &f.eventCpu, &f.eventWall, &f.hits) == 8) {
                f.event = event;
                read.push_back(f);
            }
        }
        if (read.size() > frames.size()) frames = read;
    }

    // A file removed when it goes, after the process that writes it.
    struct RemovedFile {
        std::string path;
        ~RemovedFile() { std::remove(path.c_str()); }
    };

    RemovedFile log;           // where the shim writes a line per frame
    RunningViewer viewer;      // the process and its window
    std::vector<Frame> frames; // the log's frames so far
};

// What one build costs at one level.
struct LevelFigures {
    double calls[kModes] = {NAN, NAN, NAN, NAN};  // OpenGL calls per frame
    double cpu[kModes] = {NAN, NAN, NAN, NAN};    // CPU ms of a redraw
    double wall[kModes] = {NAN, NAN, NAN, NAN};   // wall ms of a redraw
    double levelCpu = NAN;                        // CPU ms of the key S and its frame
    double dragEventCpu = NAN;                    // CPU ms of one motion event of a vertex drag
    double dragFrameCpu = NAN;                    // CPU ms of the frame it brings
    double dragRedrawCpu = NAN;                   // CPU ms of a redraw between the steps
    double residentMiB = NAN;                     // the process's memory after the level's frames
    double residentAfterResetMiB = NAN;           // after a reset from this level (the last level only)
    bool picked = false;                          // the drag picked a control vertex
};

// The control vertex nearest the viewer at start, in window coordinates:
// the view's projection of it (camera at distance 3, 60 degrees, zoom 0.8).
std::pair<int, int> frontVertex(const Mesh& mesh, int width, int height) {
    const ViewFit fit = fitView(mesh);
    const double zoom = 0.8, f = 1 / std::tan(M_PI / 6), aspect = double(width) / std::max(height, 1);
    int best = 0;
    double bestZ = -1e30;
    for (int i = 0; i < mesh.numVertices(); ++i) {
        double z = zoom * fit.scale * (mesh.vertex(i)->position().z - fit.center.z);
        if (z > bestZ) bestZ = z, best = i;
    }
    Vector p = mesh.vertex(best)->position();
    const double x = zoom * fit.scale * (p.x - fit.center.x), y = zoom * fit.scale * (p.y - fit.center.y);
    const double depth = 3 - bestZ;
    const double ndcX = f / aspect * x / depth, ndcY = f * y / depth;
    return {static_cast<int>(std::lround((ndcX + 1) / 2 * width)), static_cast<int>(std::lround(height - (ndcY + 1) / 2 * height))};
}

// The k-th redraw of a series: the zoom keys in turn, in then out, so that
// every series leaves the zoom as it was (after an even number of keys).
Frame redraw(Session& session, int k) { return session.key(k % 2 ? "minus" : "plus"); }
void endSeries(Session& session, int keys) {
    if (keys % 2) redraw(session, keys);
}

void countCalls(const Options& options, const std::string& binary, const std::string& meshFile,
                std::vector<LevelFigures>& levels) {
    Session session(binary, options.countShim, meshFile);
    if (!session.ok()) {
        std::fprintf(stderr, "%s showed no window\n", binary.c_str());
        std::exit(1);
    }
    for (int level = 0; level <= options.maxLevel; ++level) {
        if (level > 0) session.key("s");
        for (int mode = 1; mode <= kModes; ++mode) {
            session.key(std::to_string(mode));
            levels[level].calls[mode - 1] = redraw(session, 0).calls;
            endSeries(session, 1);
        }
    }
}

void timeFrames(const Options& options, const std::string& binary, const std::string& meshFile, const Mesh& mesh,
                std::vector<LevelFigures>& levels) {
    Session session(binary, options.timeShim, meshFile);
    if (!session.ok()) {
        std::fprintf(stderr, "%s showed no window\n", binary.c_str());
        std::exit(1);
    }
    for (int level = 0; level <= options.maxLevel; ++level) {
        LevelFigures& figures = levels[level];
        if (level > 0) {
            Frame f = session.key("s");
            figures.levelCpu = f.eventCpu + f.cpu;
        }
        for (int mode = 1; mode <= kModes; ++mode) {
            session.key(std::to_string(mode));  // the first frame of a mode may build its arrays
            std::vector<double> cpu, wall;
            for (int k = 0; k < options.frames; ++k) {
                Frame f = redraw(session, k);
                cpu.push_back(f.cpu);
                wall.push_back(f.wall);
            }
            endSeries(session, options.frames);
            figures.cpu[mode - 1] = median(cpu);
            figures.wall[mode - 1] = median(wall);
        }
        // In the faces mode, drag the vertex nearest the viewer to the right,
        // a redraw after every step: both kinds of frame under the same load.
        session.key(std::to_string(kFacesMode));
        auto [x, y] = frontVertex(mesh, session.width(), session.height());
        session.pointAt(x, y);
        session.press();
        std::vector<double> eventCpu, frameCpu, redrawCpu;
        for (int k = 1; k <= options.drags; ++k) {
            Frame f = session.afterEvent("a drag step", "motion", [&] { session.pointAt(x + 2 * k, y); });
            figures.picked = f.hits == 1;
            Frame r = redraw(session, k - 1);
            if (k == 1) continue;  // that step's event time holds the pick as well
            eventCpu.push_back(f.eventCpu);
            frameCpu.push_back(f.cpu);
            redrawCpu.push_back(r.cpu);
        }
        endSeries(session, options.drags);
        session.release();
        figures.dragEventCpu = median(eventCpu);
        figures.dragFrameCpu = median(frameCpu);
        figures.dragRedrawCpu = median(redrawCpu);
        figures.residentMiB = session.residentMiB();
    }
    // What a reset from the finest level gives back.
    session.key("r");
    levels[options.maxLevel].residentAfterResetMiB = session.residentMiB();
    session.quit();
}

std::unique_ptr<Mesh> loadMesh(const std::string& text) {
    std::string buffer = text;
    FILE* in = fmemopen(&buffer[0], buffer.size(), "r");
    auto mesh = std::make_unique<Mesh>();
    mesh->load(in, [](const std::string&) {});
    std::fclose(in);
    return mesh;
}

void printTable(const std::vector<std::pair<std::string, std::vector<LevelFigures>>>& builds, long long faces) {
    std::printf("Frame cost of facetry on the 50,000-triangle sphere, 300 x 300 window, Xvfb and Mesa llvmpipe.\n"
                "  calls: OpenGL calls per frame in the modes vertices / edges / colored edges / faces, control mesh shown\n"
                "  cpu: ms of process CPU per redraw (zoom key), every thread; wall: ms of wall time, faces mode\n"
                "  S: ms of the key S and its frame (refinement and first drawing of the level)\n"
                "  drag: ms of one motion event of a vertex drag + ms of its frame; /redraw: that sum over a redraw\n"
                "    of the unchanged surface, zoom keys between the drag's steps (all medians)\n"
                "  RSS: MiB the process holds after the level\n");
    std::printf("%-7s %2s %9s | %9s %9s %9s %9s | %8s %8s %8s %8s %8s | %8s | %7s + %8s %7s | %6s\n", "build", "L",
                "quads", "calls:v", "e", "c", "f", "cpu:v", "e", "c", "f", "wall:f", "S", "drag", "frame",
                "/redraw", "RSS");
    for (size_t level = 0; level < builds[0].second.size(); ++level)
        for (const auto& [name, levels] : builds) {
            const LevelFigures& l = levels[level];
            const double ratio = (l.dragEventCpu + l.dragFrameCpu) / l.dragRedrawCpu;
            std::printf("%-7s %2zu %9lld | %9.0f %9.0f %9.0f %9.0f | %8.1f %8.1f %8.1f %8.1f %8.1f | %8.1f | %7.2f + %8.1f %7.3f | %6.0f%s\n",
                        name.c_str(), level, faces << (2 * level), l.calls[0], l.calls[1], l.calls[2], l.calls[3],
                        l.cpu[0], l.cpu[1], l.cpu[2], l.cpu[3], l.wall[3], l.levelCpu, l.dragEventCpu, l.dragFrameCpu,
                        ratio, l.residentMiB, l.picked ? "" : "  (no vertex picked)");
        }
    for (const auto& [name, levels] : builds)
        std::printf("%s: %.0f MiB after a reset from level %zu, against %.0f MiB at level 0 (%.2f x)\n", name.c_str(),
                    levels.back().residentAfterResetMiB, levels.size() - 1, levels[0].residentMiB,
                    levels.back().residentAfterResetMiB / levels[0].residentMiB);
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--before") options.before = value;
        else if (key == "--after") options.after = value;
        else if (key == "--count-shim") options.countShim = value;
        else if (key == "--time-shim") options.timeShim = value;
        else if (key == "--max-level") options.maxLevel = std::atoi(value.c_str());
        else if (key == "--frames") options.frames = std::atoi(value.c_str());
        else if (key == "--drags") options.drags = std::atoi(value.c_str());
        else return false;
    }
    return !options.after.empty() && !options.countShim.empty() && !options.timeShim.empty() &&
           options.maxLevel >= 0 && options.frames > 0 && options.drags > 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: facetry_framebench [--before FACETRY] --after FACETRY --count-shim LIB --time-shim LIB "
                     "[--max-level N] [--frames N] [--drags N]\n");
        return 2;
    }
    const BenchMesh sphere = triangleSphere();
    const std::string meshFile = "/tmp/facetry-frames-" + std::to_string(getpid()) + ".mesh";
    std::ofstream(meshFile) << sphere.text;
    std::unique_ptr<Mesh> mesh = loadMesh(sphere.text);
    const long long quads = mesh->totalValence();  // level 0: one quad per face corner

    std::vector<std::pair<std::string, std::vector<LevelFigures>>> builds;
    if (!options.before.empty()) builds.push_back({"before", std::vector<LevelFigures>(options.maxLevel + 1)});
    builds.push_back({"after", std::vector<LevelFigures>(options.maxLevel + 1)});
    for (auto& [name, levels] : builds) {
        const std::string& binary = name == "before" ? options.before : options.after;
        std::fprintf(stderr, "%s: counting calls\n", name.c_str());
        countCalls(options, binary, meshFile, levels);
        std::fprintf(stderr, "%s: timing frames\n", name.c_str());
        timeFrames(options, binary, meshFile, *mesh, levels);
    }
    std::remove(meshFile.c_str());
    printTable(builds, quads);
}
