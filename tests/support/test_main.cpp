#include <QCoreApplication>
#include <gtest/gtest.h>

// Engine and platform tests run inside a QCoreApplication so Qt's file and settings classes
// behave as they do in the programs.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
