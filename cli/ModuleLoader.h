// Commands whose libraries are costly to load (QtCore, libical) live in a module
// that is loaded only when one of them runs, so `linecal parse` and `--help` start
// without them.
#pragma once

namespace linecal::cli {

// The named function of the named module, found in $LINECAL_MODULE_DIR, beside
// the executable (a build tree), or where it is installed (lib/linecal beside the
// program's bin). Throws std::runtime_error saying
// what is missing.
void* moduleFunction(const char* module, const char* function);

template <typename F>
F moduleEntry(const char* module, const char* function) {
    return reinterpret_cast<F>(moduleFunction(module, function));
}

}  // namespace linecal::cli
