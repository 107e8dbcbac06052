// The user's own card in Evolution Data Server, read by a module that the program loads only
// when it asks: the EDS libraries weigh some thirty shared libraries, which would otherwise
// load at every start. Plain C++ on both sides, so neither Qt nor GLib headers cross over.
#pragma once

#include "modules/ModuleEntry.h"

#include <chrono>
#include <string>
#include <vector>

namespace linecal::eds {

struct SelfCard {
    std::vector<std::string> emails;  // in the card's order
    std::string problem;              // why the list is empty; empty when the card was read
};

// One reading of the card: run() on one thread, cancel() from any other.
class SelfCardLookup {
public:
    virtual ~SelfCardLookup() = default;
    // Each call to a bus or a service that could stall waits at most what remains of `budget`
    // (the address-book calls themselves end early only through cancel()).
    virtual SelfCard run(std::chrono::milliseconds budget) = 0;
    virtual void cancel() = 0;
};

// The module's entry struct. Raise the version whenever this header changes.
struct EdsModule : modules::ModuleEntry {
    SelfCardLookup* (*newLookup)();  // a new lookup that the caller deletes
};
inline constexpr int kEdsModuleVersion = 1;
inline constexpr char kEdsModuleName[] = "linecal-eds";
inline constexpr char kEdsModuleEntry[] = "linecal_eds_module";

}  // namespace linecal::eds
