// What every run-time module of linecal exports: one entry struct, found by its own symbol name,
// whose first member is the version of the header it was built from. The struct is plain data
// and function pointers, so nothing but this header crosses between program and module.
#pragma once

namespace linecal::modules {

struct ModuleEntry {
    // The module's build of its entry header; a program built from another refuses the module.
    int version;
};

}  // namespace linecal::modules

// Marks a module's entry struct, defined at namespace scope as
//   LINECAL_MODULE_ENTRY const SomeModule some_symbol{{kSomeVersion}, ...};
#define LINECAL_MODULE_ENTRY extern "C" __attribute__((visibility("default")))
