#pragma once
// Counts the power-off requests instead of making them.
#include "playback/PowerOff.h"

namespace kolva::test {

class FakePowerOff final : public PowerOff {
public:
    void shutDown() override { ++requests; }
    int requests = 0;
};

} // namespace kolva::test
