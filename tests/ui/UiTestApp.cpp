// The widget tests need a QApplication (offscreen platform).
#include <QApplication>

#include "support/TestApp.h"

namespace kolva::test {
std::unique_ptr<QCoreApplication> makeTestApplication(int &argc, char **argv) {
    // Test discovery runs the binary without the test environment; widget
    // tests never need a real display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}
} // namespace kolva::test
