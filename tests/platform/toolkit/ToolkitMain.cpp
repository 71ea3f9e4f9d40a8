#include <gtest/gtest.h>

#include "toolkit/Application.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    orvane::toolkit::Application app(argc, argv);
    orvane::toolkit::Program::Title("Toolkit Test");
    return RUN_ALL_TESTS();
}
