// A module built twice for the loader's tests: once with the version the tests expect, once with
// another, both under the same name in different folders.
#include "tests/modules/ProbeModule.h"

namespace {
int answer() { return kProbeAnswer; }
}  // namespace

LINECAL_MODULE_ENTRY const ProbeModule linecal_probe_module{{PROBE_VERSION}, answer};
