// Keys and menu actions: what each changes and when the picture is redrawn.
#include "app/commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "testviewer.h"

using namespace facetry;

namespace {

TEST(KeyCommand, MapsBothCasesAndEqualsAsPlus) {
    struct Case {
        int key;
        KeyCommand::Menu menu;
        int value;
    };
    const Case cases[] = {{'+', KeyCommand::kZoom, kZoomIn},        {'=', KeyCommand::kZoom, kZoomIn},
                          {'-', KeyCommand::kZoom, kZoomOut},       {'s', KeyCommand::kRefine, kRefineSubdivide},
                          {'S', KeyCommand::kRefine, kRefineSubdivide}, {'d', KeyCommand::kRefine, kRefineUndivide},
                          {'D', KeyCommand::kRefine, kRefineUndivide},  {'r', KeyCommand::kRefine, kRefineReset},
                          {'R', KeyCommand::kRefine, kRefineReset},     {'q', KeyCommand::kMain, kMainQuit},
                          {'Q', KeyCommand::kMain, kMainQuit},
                          // only the low 8 bits of the key count
                          {0x100 | 's', KeyCommand::kRefine, kRefineSubdivide}};
    for (const Case& c : cases) {
        KeyCommand command = keyCommand(c.key);
        EXPECT_EQ(c.menu, command.menu) << "key " << c.key;
        EXPECT_EQ(c.value, command.value) << "key " << c.key;
    }
    for (int key : {int('a'), int('x'), int('_'), int(' '), int('0'), 27, 0xe4})
        EXPECT_EQ(KeyCommand::kNone, keyCommand(key).menu) << "key " << key;
}

TEST(Keyboard, IgnoredKeysChangeNothingAndDoNotRedraw) {
    TestViewer t(cubeMesh());
    for (char key : std::string("ax _")) keyboard(t.viewer, key);
    EXPECT_EQ(0, t.redraws);
    EXPECT_EQ(0.8f, t.viewer.view.zoom);
    EXPECT_EQ(0, t.mrMesh->curRes());
}

TEST(Keyboard, ZoomStepsMultiplyAndDivideByNineTenths) {
    TestViewer t(cubeMesh());
    float expected = 0.8f;
    for (int i = 0; i < 10; ++i) {
        keyboard(t.viewer, '-');
        expected = expected * 0.9f;
        EXPECT_EQ(expected, t.viewer.view.zoom) << "after " << i + 1 << " presses";
    }
    EXPECT_NEAR(0.8 * std::pow(0.9, 10), t.viewer.view.zoom, 1e-6);
    EXPECT_NEAR(0.279, t.viewer.view.zoom, 5e-4);
    for (int i = 0; i < 10; ++i) keyboard(t.viewer, i % 2 ? '+' : '=');
    EXPECT_NEAR(0.8f, t.viewer.view.zoom, 1e-6f);
    EXPECT_EQ(20, t.redraws);
}

TEST(Keyboard, SubdivideUndivideAndResetTheSurface) {
    TestViewer t(cubeMesh());
    keyboard(t.viewer, 's');
    keyboard(t.viewer, 'S');
    EXPECT_EQ(2, t.mrMesh->curRes());
    EXPECT_EQ(5, t.mrMesh->face(0)->gridSize());
    keyboard(t.viewer, 'd');
    EXPECT_EQ(1, t.mrMesh->curRes());
    keyboard(t.viewer, 's');
    keyboard(t.viewer, 'R');
    EXPECT_EQ(0, t.mrMesh->curRes());
    EXPECT_EQ(5, t.redraws);
    // undivide at level 0 stays there and still redraws
    keyboard(t.viewer, 'D');
    EXPECT_EQ(0, t.mrMesh->curRes());
    EXPECT_EQ(6, t.redraws);
}

TEST(Menus, DisplayMenusStoreTheirValue) {
    TestViewer t(cubeMesh());
    EXPECT_EQ(kDisplayEdges, t.viewer.view.meshDisplay);
    EXPECT_EQ(kDisplayFaces, t.viewer.view.mrMeshDisplay);
    meshMenu(t.viewer, kDisplayOff);
    mrMeshMenu(t.viewer, kDisplayColoredEdges);
    EXPECT_EQ(kDisplayOff, t.viewer.view.meshDisplay);
    EXPECT_EQ(kDisplayColoredEdges, t.viewer.view.mrMeshDisplay);
    EXPECT_EQ(2, t.redraws);
}

TEST(Menus, UnknownValuesDoNothing) {
    TestViewer t(cubeMesh());
    refineMenu(t.viewer, 4);
    zoomMenu(t.viewer, 0);
    mainMenu(t.viewer, 2);
    EXPECT_EQ(0, t.redraws);
    EXPECT_EQ(0.8f, t.viewer.view.zoom);
    EXPECT_EQ(0, t.mrMesh->curRes());
}

TEST(MenusDeathTest, QuitEndsWithStatusZero) {
    TestViewer t(cubeMesh());
    EXPECT_EXIT(mainMenu(t.viewer, kMainQuit), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(keyboard(t.viewer, 'q'), ::testing::ExitedWithCode(0), "");
}

TEST(View, ResizeKeepsTheAspectFiniteForAFlatWindow) {
    View view;
    view.resize(400, 200);
    EXPECT_EQ(2.0f, view.aspect);
    view.resize(300, 0);
    EXPECT_EQ(300.0f, view.aspect);
    EXPECT_EQ(0, view.windowHeight);
    // the camera sits on the z axis looking at the target
    EXPECT_EQ(Vector(0, 0, 3), view.eye);
}

}  // namespace
