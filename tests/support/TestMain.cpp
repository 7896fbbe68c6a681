// One QCoreApplication-derived application for every test binary: the
// UI tests need a QApplication, the others a core one; QT_QPA_PLATFORM is
// offscreen there, so neither needs a display.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "support/TestApp.h"

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    auto app = kolva::test::makeTestApplication(argc, argv);
    return RUN_ALL_TESTS();
}
