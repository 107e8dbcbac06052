#include "stores/ServerModule.h"

#include "modules/ModuleLoader.h"

#include <mutex>

namespace linecal {

const ServerModule* serverModule(std::string* problem) {
    static std::once_flag once;
    static const ServerModule* module = nullptr;
    static std::string why;
    std::call_once(once, [] {
        module = modules::loadModule<ServerModule>(kServerModuleName, kServerModuleEntry, kServerModuleVersion, &why);
    });
    if (!module && problem) *problem = why;
    return module;
}

}  // namespace linecal
