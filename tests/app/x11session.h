#pragma once
// Driving the real facetry program on a private X server the way a user
// would: keys and mouse through xdotool, pictures of the screen through
// ImageMagick's import. The X server comes from xvfb-run.sh. The viewer's
// end-to-end tests and the frame benchmark (bench/framebench.cpp) both drive
// the viewer through this.

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

// An RGB picture of part of the screen.
struct Picture {
    struct Pixel {
        int r, g, b;
    };
    Pixel at(int x, int y) const;
    bool operator==(const Picture& o) const { return width == o.width && height == o.height && rgb == o.rgb; }
    bool operator!=(const Picture& o) const { return !(*this == o); }

    int width = 0;               // in pixels
    int height = 0;              // in pixels
    std::vector<unsigned char> rgb;  // width * height * 3 bytes, row by row from the top
};

// The screen rectangle at (x, y) of size w x h.
Picture screenshot(int x, int y, int w, int h);
// Runs xdotool with these arguments; false if it failed.
bool xdotool(const std::string& arguments);

// How a viewer process is started.
struct ViewerLaunch {
    std::string program;  // the viewer to run; empty: the one this build made (FACETRY_BINARY)
    std::vector<std::pair<std::string, std::string>> environment;  // variables set for it alone
    double windowSeconds = 20;  // how long its window may take to appear
};

// One facetry process showing its window. The window's contents are in
// window coordinates (0, 0 at the top left).
class RunningViewer {
public:
    explicit RunningViewer(const std::string& meshFile, const ViewerLaunch& launch = ViewerLaunch());
    // The viewer with these arguments (an editing session: {"--edit", INPUT, ...}).
    explicit RunningViewer(const std::vector<std::string>& arguments, const ViewerLaunch& launch = ViewerLaunch());
    ~RunningViewer();  // ends the process if it is still running
    RunningViewer(const RunningViewer&) = delete;
    RunningViewer& operator=(const RunningViewer&) = delete;

    // Whether the window showed a first picture.
    bool started() const { return windowId != 0; }
    // The window's picture now.
    Picture picture() const;
    // The picture once it differs from `before` and has stopped changing, or
    // the current one after `seconds`.
    Picture changedFrom(const Picture& before, double seconds = 10) const;
    // The picture once two shots in a row agree.
    Picture settled() const;

    // Types keys (xdotool key names) with the pointer inside the window: it
    // goes to the bottom edge first, unless button 1 is held (then moving it
    // would drag).
    void key(const std::string& keys) const;
    // Presses button 1 at (x0, y0), moves to (x1, y1) and releases there.
    void drag(int x0, int y0, int x1, int y1);
    // Presses button 1 at (x0, y0) and moves to (x1, y1), keeping it down.
    void pressAndMove(int x0, int y0, int x1, int y1);
    // Presses button 1 where the pointer is, keeping it down.
    void press();
    void release();
    // Clicks a button at window position (x, y).
    void click(int button, int x, int y) const;
    // Moves the pointer to window position (x, y).
    void moveTo(int x, int y) const;
    // The screen position of window position (x, y).
    int screenX(int x) const { return left + x; }
    int screenY(int y) const { return top + y; }

    // The exit status once the process ends within `seconds`; -1 if it does
    // not, or ended abnormally.
    int exitStatus(double seconds = 10);
    std::string standardOutput() const;
    std::string standardError() const;
    // The process, while it runs.
    pid_t processId() const { return pid; }

    int width = 0;   // window width in pixels
    int height = 0;  // window height in pixels

private:
    pid_t pid = -1;             // the facetry process, -1 once reaped
    int status = -1;            // its exit status once reaped
    unsigned long windowId = 0; // its window, 0 if none appeared
    int left = 0;               // screen x of the window's first visible column
    int top = 0;                // screen y of the window's first visible row
    bool buttonHeld = false;    // button 1 is down
    std::string outPath;        // where its standard output goes
    std::string errPath;        // where its standard error goes
};

// Counts of the colours the viewer draws with, over a picture.
struct ColourCensus {
    explicit ColourCensus(const Picture& p);
    int black = 0;       // background
    int grey = 0;        // grey shades of the lit or unlit surface (r = g = b, not black or white)
    int green = 0;       // control vertices, (0, 255, 0)
    int darkGreen = 0;   // control edges and vertices drawn over them, (0, 128, 0)
    int cyan = 0;        // the arcball's drag arc
    int white = 0;       // the arcball's rim
    int distinctGreys = 0;  // the number of different grey shades
};
