#include <gtest/gtest.h>

#include "platform/painting_application.h"

// For test programs that draw sheets: the application painting needs lives as long as the
// tests do.
int main(int argc, char** argv) {
    quillmark::PaintingApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
