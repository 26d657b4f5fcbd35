#include "TestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // The library needs one in the process, as the application that loads it has; no test runs
    // its event loop.
    QCoreApplication app(argc, argv);
    wstest::installLogCapture();
    return RUN_ALL_TESTS();
}
