#include <gtest/gtest.h>

#include <cstdlib>

#include "Functions.h"
#include "toolkit/Application.h"

int main(int argc, char** argv) {
    // Headless unless told otherwise, also when ctest lists the tests.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    orvane::toolkit::Application app(argc, argv);
    orvane::toolkit::Program::Title(Functions::gstrAppTitle);
    return RUN_ALL_TESTS();
}
