// Opens linecal's run-time modules: the item commands of `linecal`, the CalDAV stores and the
// address-book reader. A module is opened once, at its first use, and never closed (what it
// hands out lives until the process ends).
#pragma once

#include "modules/ModuleEntry.h"
#include "modules/ModuleLayout.h"

#include <string>

namespace linecal::modules {

// The entry struct `entry` of module `name` (file lib`name`.so in the layout's module folder)
// when its version is `version`; otherwise null with `problem` saying what is missing or wrong:
// a cause only, which each caller words with its own remedy (see docs/ARCHITECTURE.md, Errors).
const ModuleEntry* loadModuleEntry(const ModuleLayout& layout, const std::string& name, const char* entry, int version,
                                   std::string* problem);

template <typename Entry>
const Entry* loadModule(const ModuleLayout& layout, const std::string& name, const char* entry, int version,
                        std::string* problem) {
    return static_cast<const Entry*>(loadModuleEntry(layout, name, entry, version, problem));
}

// The same in the running program's layout.
template <typename Entry>
const Entry* loadModule(const std::string& name, const char* entry, int version, std::string* problem) {
    return loadModule<Entry>(ModuleLayout::current(), name, entry, version, problem);
}

}  // namespace linecal::modules
