#include "x11session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

namespace {

// The size of the virtual screen xvfb-run.sh starts.
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
// How long to wait between two looks at the screen.
constexpr auto kPollInterval = std::chrono::milliseconds(100);

std::string run(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
    return output;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string tempPath(const char* what) {
    char name[] = "/tmp/facetry-e2e-XXXXXX";
    int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return std::string(name) + "." + what;
}

// A binary PPM (P6, maxval 255) read from memory.
Picture parsePpm(const std::string& data) {
    Picture p;
    std::istringstream in(data);
    std::string magic;
    int maxval = 0;
    in >> magic >> p.width >> p.height >> maxval;
    in.get();
    if (magic != "P6" || maxval != 255 || p.width <= 0 || p.height <= 0) return Picture();
    p.rgb.resize(static_cast<size_t>(p.width) * p.height * 3);
    in.read(reinterpret_cast<char*>(p.rgb.data()), static_cast<std::streamsize>(p.rgb.size()));
    return in ? p : Picture();
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

Picture::Pixel Picture::at(int x, int y) const {
    size_t k = (static_cast<size_t>(y) * width + x) * 3;
    return {rgb[k], rgb[k + 1], rgb[k + 2]};
}

Picture screenshot(int x, int y, int w, int h) {
    std::string path = tempPath("ppm");
    std::ostringstream command;
    command << "import -silent -window root -depth 8 -crop " << w << "x" << h << "+" << x << "+" << y << " +repage ppm:" << path;
    std::system(command.str().c_str());
    Picture p = parsePpm(readFile(path));
    std::remove(path.c_str());
    return p;
}

bool xdotool(const std::string& arguments) { return std::system(("xdotool " + arguments).c_str()) == 0; }

RunningViewer::RunningViewer(const std::string& meshFile, const ViewerLaunch& launch)
    : RunningViewer(std::vector<std::string>{meshFile}, launch) {}

RunningViewer::RunningViewer(const std::vector<std::string>& arguments, const ViewerLaunch& launch)
    : outPath(tempPath("out")), errPath(tempPath("err")) {
    const std::string program = launch.program.empty() ? FACETRY_BINARY : launch.program;
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid = fork();
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        dup2(err, 2);
        for (const auto& [name, value] : launch.environment) setenv(name.c_str(), value.c_str(), 1);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    std::ostringstream search;
    search << "timeout " << launch.windowSeconds
           << " xdotool search --sync --onlyvisible --name '^Facetry($| - )' 2>/dev/null | head -n1";
    std::string found = run(search.str());
    windowId = std::strtoul(found.c_str(), nullptr, 10);
    if (!windowId) return;
    std::istringstream geometry(run("xdotool getwindowgeometry --shell " + std::to_string(windowId)));
    std::string line;
    int x = 0, y = 0;
    while (std::getline(geometry, line)) {
        std::sscanf(line.c_str(), "X=%d", &x);
        std::sscanf(line.c_str(), "Y=%d", &y);
        std::sscanf(line.c_str(), "WIDTH=%d", &width);
        std::sscanf(line.c_str(), "HEIGHT=%d", &height);
    }
    // without a window manager the window may start a pixel off the screen
    left = std::max(x, 0);
    top = std::max(y, 0);
    width = std::min(width - (left - x), kScreenWidth - left);
    height = std::min(height - (top - y), kScreenHeight - top);
    // the first frame: something other than the black background
    auto start = std::chrono::steady_clock::now();
    while (ColourCensus(picture()).black == width * height && secondsSince(start) < launch.windowSeconds)
        std::this_thread::sleep_for(kPollInterval);
    settled();
}

RunningViewer::~RunningViewer() {
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
}

Picture RunningViewer::picture() const { return screenshot(left, top, width, height); }

Picture RunningViewer::changedFrom(const Picture& before, double seconds) const {
    auto start = std::chrono::steady_clock::now();
    Picture now = picture();
    while (now == before && secondsSince(start) < seconds) {
        std::this_thread::sleep_for(kPollInterval);
        now = picture();
    }
    return now == before ? now : settled();
}

Picture RunningViewer::settled() const {
    Picture last = picture();
    for (int i = 0; i < 50; ++i) {
        std::this_thread::sleep_for(kPollInterval);
        Picture now = picture();
        if (now == last) return now;
        last = now;
    }
    return last;
}

void RunningViewer::moveTo(int x, int y) const {
    xdotool("mousemove " + std::to_string(screenX(x)) + " " + std::to_string(screenY(y)));
}

void RunningViewer::key(const std::string& keys) const {
    // there is no window manager to give the window the keyboard
    if (!buttonHeld) moveTo(width / 2, height - 5);
    xdotool("key --delay 50 " + keys);
}

void RunningViewer::press() {
    xdotool("mousedown 1");
    buttonHeld = true;
}

void RunningViewer::pressAndMove(int x0, int y0, int x1, int y1) {
    moveTo(x0, y0);
    press();
    // two steps, so the motion arrives as motion and not only as the release
    moveTo((x0 + x1) / 2, (y0 + y1) / 2);
    moveTo(x1, y1);
}

void RunningViewer::release() {
    xdotool("mouseup 1");
    buttonHeld = false;
}

void RunningViewer::drag(int x0, int y0, int x1, int y1) {
    pressAndMove(x0, y0, x1, y1);
    release();
}

void RunningViewer::click(int button, int x, int y) const {
    moveTo(x, y);
    xdotool("click " + std::to_string(button));
}

int RunningViewer::exitStatus(double seconds) {
    auto start = std::chrono::steady_clock::now();
    while (pid > 0 && secondsSince(start) < seconds) {
        int raw = 0;
        if (waitpid(pid, &raw, WNOHANG) == pid) {
            pid = -1;
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            break;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return pid > 0 ? -1 : status;
}

std::string RunningViewer::standardOutput() const { return readFile(outPath); }
std::string RunningViewer::standardError() const { return readFile(errPath); }

ColourCensus::ColourCensus(const Picture& p) {
    std::set<int> greys;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            Picture::Pixel c = p.at(x, y);
            if (c.r == 0 && c.g == 0 && c.b == 0) {
                ++black;
            } else if (c.r == c.g && c.g == c.b) {
                if (c.r == 255) {
                    ++white;
                } else {
                    ++grey;
                    greys.insert(c.r);
                }
            } else if (c.r == 0 && c.b == 0 && c.g == 255) {
                ++green;
            } else if (c.r == 0 && c.b == 0 && c.g >= 126 && c.g <= 129) {
                ++darkGreen;
            } else if (c.r == 0 && c.g == 255 && c.b == 255) {
                ++cyan;
            }
        }
    distinctGreys = static_cast<int>(greys.size());
}
