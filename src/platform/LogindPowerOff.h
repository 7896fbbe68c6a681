#pragma once
// Power-off through systemd-logind (org.freedesktop.login1.Manager.PowerOff,
// non-interactive: polkit decides). When KOLVA_POWER_OFF_CMD is set, that
// command runs through the shell instead and nothing else happens. Nothing is
// reported to the user either way.

#include "playback/PowerOff.h"

namespace kolva {

class LogindPowerOff final : public PowerOff {
public:
    void shutDown() override;
};

} // namespace kolva
