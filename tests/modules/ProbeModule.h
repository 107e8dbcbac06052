#pragma once

#include "modules/ModuleEntry.h"

struct ProbeModule : linecal::modules::ModuleEntry {
    int (*answer)();
};
inline constexpr int kProbeVersion = 7;
inline constexpr int kProbeAnswer = 42;
