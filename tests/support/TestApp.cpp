#include "support/TestApp.h"

namespace kolva::test {
__attribute__((weak)) std::unique_ptr<QCoreApplication> makeTestApplication(int &argc,
                                                                            char **argv) {
    return std::make_unique<QCoreApplication>(argc, argv);
}
} // namespace kolva::test
