#pragma once
#include <QCoreApplication>
#include <memory>

namespace kolva::test {
// Defined weakly here as a core application; the UI test binary links a
// strong definition that makes a QApplication.
std::unique_ptr<QCoreApplication> makeTestApplication(int &argc, char **argv);
} // namespace kolva::test
