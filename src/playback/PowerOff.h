#pragma once
// Powers the machine off at the natural end of a task that asks for it.
// The real implementation asks systemd-logind; KOLVA_POWER_OFF_CMD replaces
// it with a shell command (tests, special set-ups). Failures are silent.

namespace kolva {

class PowerOff {
public:
    virtual ~PowerOff() = default;
    virtual void shutDown() = 0;
};

} // namespace kolva
