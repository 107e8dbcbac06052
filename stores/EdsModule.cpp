#include "stores/EdsModule.h"

#include "modules/ModuleLoader.h"

#include <mutex>

namespace linecal {

const EdsCalendarModule* edsCalendarModule(std::string* problem) {
    static std::once_flag once;
    static const EdsCalendarModule* module = nullptr;
    static std::string why;
    // Never closed: the libraries it brings register GLib types, which cannot be unloaded.
    std::call_once(once, [] {
        module = modules::loadModule<EdsCalendarModule>(kEdsCalendarModuleName, kEdsCalendarModuleEntry,
                                                        kEdsCalendarModuleVersion, &why);
    });
    if (!module && problem) *problem = why;
    return module;
}

}  // namespace linecal
