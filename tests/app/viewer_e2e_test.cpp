// The real program on its own X server, used like a user would: keys,
// the right-button menu and mouse drags, checked on pictures of the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <string>
#include <thread>

#include "support/tempdir.h"
#include "x11session.h"

namespace {

const std::string kTorus = std::string(FACETRY_SOURCE_DIR) + "/examples/torus.mesh";
const std::string kAntiprism = std::string(FACETRY_SOURCE_DIR) + "/examples/antiprism.mesh";

// The picture's pixels in columns [x0, x1) differ somewhere.
bool columnsDiffer(const Picture& a, const Picture& b, int x0, int x1) {
    for (int y = 0; y < a.height; ++y)
        for (int x = x0; x < x1; ++x) {
            Picture::Pixel p = a.at(x, y), q = b.at(x, y);
            if (p.r != q.r || p.g != q.g || p.b != q.b) return true;
        }
    return false;
}

bool isGreen(const Picture::Pixel& c) { return c.r == 0 && c.g == 255 && c.b == 0; }

// The centre of the bright green control vertex furthest to the right.
std::pair<int, int> rightmostControlVertex(const Picture& p) {
    int right = -1;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (isGreen(p.at(x, y))) right = std::max(right, x);
    if (right < 0) return {-1, -1};
    int top = p.height, bottom = -1;
    for (int y = 0; y < p.height; ++y)
        if (isGreen(p.at(right, y))) {
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    return {right - 3, (top + bottom) / 2};  // points are 7 pixels wide
}

// How far the screen moves under a one-pixel drag: the drag spans 2 units of
// the fitted view across the window, which at the camera's distance 3 and
// 60-degree field of view shows 2 . 3 . tan 30 = 2 sqrt 3 of them.
const double kDragRatio = 1 / std::sqrt(3.0);

TEST(Viewer, PrintsItsProgressLineAndShowsTheSurface) {
    RunningViewer viewer(kTorus);
    ASSERT_TRUE(viewer.started()) << viewer.standardError();
    EXPECT_EQ("Not subdividing original mesh -- all quads\n", viewer.standardOutput());
    EXPECT_EQ("", viewer.standardError());
    ColourCensus census(viewer.picture());
    // grey lit faces in several shades, the green control mesh, on black
    EXPECT_GT(census.black, viewer.width * viewer.height / 2);
    EXPECT_GT(census.grey, 1000);
    EXPECT_GT(census.distinctGreys, 5);
    EXPECT_GT(census.green, 200);
    EXPECT_GT(census.darkGreen, 100);
    EXPECT_EQ(0, census.cyan);
    viewer.key("q");
    EXPECT_EQ(0, viewer.exitStatus());
}

TEST(Viewer, AMeshWithOtherFacesIsSubdividedOnceAtStart) {
    RunningViewer viewer(kAntiprism);
    ASSERT_TRUE(viewer.started()) << viewer.standardError();
    EXPECT_EQ("Subdividing original mesh\n", viewer.standardOutput());
    EXPECT_GT(ColourCensus(viewer.picture()).grey, 1000);
}

// How many pixels along the window's diagonal, from its top-left corner
// towards the centre, come before the first grey one of the surface.
int stepsToSurfaceAlongDiagonal(const Picture& p) {
    for (int k = 0; k < std::min(p.width, p.height) / 2; ++k) {
        const Picture::Pixel c = p.at(k, k);
        if (c.r == c.g && c.g == c.b && c.r > 0 && c.r < 255) return k;
    }
    return -1;
}

// A cube seen from above, its four upright edges tagged infinitely sharp:
// at level 3 the surface keeps the cube's corners, reaching out along the
// diagonals where the untagged cube is round, and hides the control
// vertices of the bottom face that the round one leaves in view.
TEST(Viewer, ShowsTheSharpEdgesOfACreasedCube) {
    TempDir dir;
    const std::string cube = "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\nv -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
                             "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";
    const std::string tags = "t crease 2/1/0 0 4 10\nt crease 2/1/0 1 5 10\nt crease 2/1/0 2 6 10\nt crease 2/1/0 3 7 10\n";
    Picture pictures[2];
    for (int creased = 0; creased < 2; ++creased) {
        RunningViewer viewer(dir.write(creased ? "creased.obj" : "smooth.obj", cube + (creased ? tags : "")));
        ASSERT_TRUE(viewer.started()) << viewer.standardError();
        Picture shown = viewer.picture();
        for (int level = 1; level <= 3; ++level) {
            viewer.key("s");
            shown = viewer.changedFrom(shown);
        }
        pictures[creased] = shown;
        EXPECT_EQ("", viewer.standardError());
    }
    const int smooth = stepsToSurfaceAlongDiagonal(pictures[0]), sharp = stepsToSurfaceAlongDiagonal(pictures[1]);
    ASSERT_GT(smooth, 0);
    ASSERT_GT(sharp, 0);
    EXPECT_LT(sharp + pictures[0].width / 30, smooth) << "the creased corner reaches further out";
    EXPECT_GT(ColourCensus(pictures[0]).green, ColourCensus(pictures[1]).green + 50) << "bottom corners hidden";
}

TEST(Viewer, SubdivideMakesItFinerAndUndivideAndResetBringItBack) {
    RunningViewer viewer(kTorus);
    ASSERT_TRUE(viewer.started());
    Picture level0 = viewer.picture();
    viewer.key("s");
    Picture level1 = viewer.changedFrom(level0);
    viewer.key("S");
    Picture level2 = viewer.changedFrom(level1);
    // more, smaller facets: more shades of grey
    EXPECT_GT(ColourCensus(level1).distinctGreys, ColourCensus(level0).distinctGreys);
    EXPECT_GT(ColourCensus(level2).distinctGreys, ColourCensus(level1).distinctGreys);
    viewer.key("d");
    EXPECT_EQ(level1, viewer.changedFrom(level2));
    viewer.key("r");
    EXPECT_EQ(level0, viewer.changedFrom(level1));
    // other keys are ignored
    viewer.key("x");
    EXPECT_EQ(level0, viewer.settled());
    viewer.key("Q");
    EXPECT_EQ(0, viewer.exitStatus());
}

TEST(Viewer, ZoomKeysGrowAndShrinkThePicture) {
    RunningViewer viewer(kTorus);
    ASSERT_TRUE(viewer.started());
    Picture start = viewer.picture();
    viewer.key("plus plus");
    Picture bigger = viewer.changedFrom(start);
    viewer.key("minus minus minus minus");
    Picture smaller = viewer.changedFrom(bigger);
    int shown = viewer.width * viewer.height - ColourCensus(start).black;
    EXPECT_GT(viewer.width * viewer.height - ColourCensus(bigger).black, shown);
    EXPECT_LT(viewer.width * viewer.height - ColourCensus(smaller).black, shown);
}

// The right-button menu: its items are rows of equal height below the click.
class ViewerMenu : public ::testing::Test {
protected:
    static constexpr int kClickX = 20, kClickY = 20;  // leaves room for the menu and a submenu
    static constexpr int kItems = 5;                  // Mesh, MrMesh, Facetry, Zoom, &Quit

    // Opens the menu and measures it from a picture of the screen: a light
    // frame around rows of equal height on black.
    void openMenu() {
        viewer.click(3, kClickX, kClickY);
        viewer.moveTo(kClickX + 10, kClickY + 5);  // the menu draws itself once the pointer is over it
        int x = viewer.screenX(kClickX) + 2, y = viewer.screenY(kClickY) + 1;
        Picture screen;
        for (int tries = 0; tries < 50; ++tries) {
            screen = screenshot(0, 0, 640, 480);
            if (screen.at(x, y + 10).r > 0) break;
        }
        int bottom = y;
        while (bottom < screen.height && screen.at(x, bottom).r > 0) ++bottom;
        // along the bottom frame: a submenu may already stand next to the top rows
        int right = x;
        while (right < screen.width && screen.at(right, bottom - 1).r > 0) ++right;
        rowHeight = (bottom - y) / kItems;
        menuWidth = right - viewer.screenX(kClickX);
        ASSERT_GT(rowHeight, 10) << "no menu";
        ASSERT_GT(menuWidth, 30) << "no menu";
    }
    // Points at item `row` of the main menu, so its submenu opens.
    void pointAt(int row) { slowlyMoveTo(kClickX + 10, kClickY + rowHeight * row + rowHeight / 2); }
    // Moves the pointer and gives the menus time to follow it.
    void slowlyMoveTo(int x, int y) {
        viewer.moveTo(x, y);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    // Clicks entry `entry` of the submenu of main-menu item `row`.
    void chooseFromSubmenu(int row, int entry) {
        pointAt(row == 0 ? 1 : 0);  // a submenu opens as the pointer enters its item
        pointAt(row);
        int x = kClickX + menuWidth + 20, y = kClickY + rowHeight * (row + entry) + rowHeight / 2;
        slowlyMoveTo(x - 10, y);
        slowlyMoveTo(x, y);
        viewer.click(1, x, y);
    }

    RunningViewer viewer{kTorus};
    int rowHeight = 0;  // height of one menu item, pixels
    int menuWidth = 0;  // width of the main menu, pixels
};

TEST_F(ViewerMenu, SwitchesTheSurfaceToColouredEdgesAndBack) {
    ASSERT_TRUE(viewer.started());
    Picture faces = viewer.picture();
    openMenu();
    chooseFromSubmenu(1, 2);  // MrMesh > Colored Edges
    Picture edges = viewer.changedFrom(faces);
    ColourCensus census(edges);
    EXPECT_LT(census.grey, ColourCensus(faces).grey / 4) << "no lit faces any more";
    EXPECT_GT(census.green, 100) << "the control mesh stays";
    int coloured = viewer.width * viewer.height - census.black - census.grey - census.green - census.darkGreen;
    EXPECT_GT(coloured, 200) << "edges in the palette's colours";
    openMenu();
    chooseFromSubmenu(1, 3);  // MrMesh > Faces
    EXPECT_EQ(faces, viewer.changedFrom(edges));
    openMenu();
    chooseFromSubmenu(0, 2);  // Mesh > Off
    ColourCensus bare(viewer.changedFrom(faces));
    EXPECT_EQ(0, bare.green);
    EXPECT_EQ(0, bare.darkGreen);
    EXPECT_GT(bare.grey, 1000);
}

TEST_F(ViewerMenu, SubdividesAndQuits) {
    ASSERT_TRUE(viewer.started());
    Picture level0 = viewer.picture();
    openMenu();
    chooseFromSubmenu(2, 0);  // Facetry > &Subdivide
    Picture level1 = viewer.changedFrom(level0);
    EXPECT_GT(ColourCensus(level1).distinctGreys, ColourCensus(level0).distinctGreys);
    openMenu();
    pointAt(4);
    viewer.click(1, kClickX + 10, kClickY + rowHeight * 4 + rowHeight / 2);  // &Quit
    EXPECT_EQ(0, viewer.exitStatus());
}

TEST(Viewer, DraggingAControlVertexReshapesTheSurfaceNearItOnly) {
    RunningViewer viewer(kTorus);
    ASSERT_TRUE(viewer.started());
    Picture level0 = viewer.picture();
    viewer.key("s");
    Picture before = viewer.changedFrom(level0);
    auto [x, y] = rightmostControlVertex(before);
    ASSERT_GT(x, viewer.width / 2);
    viewer.drag(x, y, x + 40, y - 10);
    Picture after = viewer.changedFrom(before);
    auto [movedX, movedY] = rightmostControlVertex(after);
    EXPECT_NEAR(x + 40 * kDragRatio, movedX, 2) << "the vertex follows the mouse";
    EXPECT_NEAR(y - 10 * kDragRatio, movedY, 2);
    EXPECT_TRUE(columnsDiffer(before, after, x - 20, viewer.width));
    // the far side of the torus, left of its centre, is untouched
    EXPECT_FALSE(columnsDiffer(before, after, 0, viewer.width / 2 - 20));
}

TEST(Viewer, DraggingEmptySpaceTurnsTheViewWithGuidesWhileHeld) {
    RunningViewer viewer(kTorus);
    ASSERT_TRUE(viewer.started());
    Picture before = viewer.picture();
    int cx = viewer.width / 2, cy = viewer.height / 2;  // the hole of the torus
    viewer.pressAndMove(cx, cy, cx, cy - 60);
    ColourCensus held(viewer.changedFrom(before));
    EXPECT_GT(held.white, 100) << "the rim";
    EXPECT_GT(held.cyan, 20) << "the drag arc";
    viewer.release();
    Picture turned = viewer.changedFrom(before);
    ColourCensus census(turned);
    EXPECT_EQ(0, census.white);
    EXPECT_EQ(0, census.cyan);
    EXPECT_NE(before, turned);
    // tipped back about the horizontal axis, the ring looks flatter
    auto rows = [](const Picture& p) {
        int n = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                if (p.at(x, y).r || p.at(x, y).g || p.at(x, y).b) {
                    ++n;
                    break;
                }
        return n;
    };
    EXPECT_LT(rows(turned), rows(before) - 20);
}

}  // namespace
