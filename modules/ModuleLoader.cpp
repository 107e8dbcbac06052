#include "modules/ModuleLoader.h"

#include <dlfcn.h>

namespace linecal::modules {

const ModuleEntry* loadModuleEntry(const ModuleLayout& layout, const std::string& name, const char* entry, int version,
                                   std::string* problem) {
    // Messages are appended piece by piece: g++ 12 warns falsely about chained + here.
    std::string message;
    auto fail = [&]() -> const ModuleEntry* {
        if (problem) *problem = message;
        return nullptr;
    };
    if (layout.moduleFolder().empty()) {
        message.append("cannot find linecal's modules (").append(moduleSubfolder()).append(") near ");
        message.append(layout.program().empty() ? std::string("the program") : layout.program().string());
        return fail();
    }
    const std::filesystem::path file = layout.moduleFile(name);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        message.append("the module ").append(file.string()).append(" is missing");
        return fail();
    }
    // Bound at once, so a module that cannot work fails here and not halfway through a command.
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        message.append("cannot load ").append(file.string()).append(": ").append(why ? why : "unknown error");
        return fail();
    }
    const auto* found = static_cast<const ModuleEntry*>(::dlsym(handle, entry));
    if (!found) {
        message.append(file.string()).append(" is not linecal's ").append(name).append(" module (no ").append(entry);
        message.append(")");
        return fail();
    }
    if (found->version != version) {
        message.append(file.string()).append(" is version ").append(std::to_string(found->version));
        message.append(" of the ").append(name).append(" module; this linecal needs version ");
        message.append(std::to_string(version));
        return fail();
    }
    return found;
}

}  // namespace linecal::modules
