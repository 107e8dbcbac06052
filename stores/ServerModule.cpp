#include "stores/ServerModule.h"

#include <dlfcn.h>

#include <mutex>

namespace fs = std::filesystem;

namespace linecal {
namespace {

struct Loaded {
    const ServerModule* module = nullptr;
    std::string problem;
};

// An installed program takes the installed module; one in the build tree takes the module that
// build made, never an installed one of another version.
std::vector<fs::path> candidates() {
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    const std::string buildTree = LINECAL_BUILD_TREE "/";
    if (ec || program.string().starts_with(buildTree)) return {LINECAL_BUILT_MODULE};
    return {program.parent_path().parent_path() / LINECAL_INSTALLED_MODULE};
}

Loaded load() {
    Loaded loaded;
    for (const auto& path : candidates()) {
        std::error_code ec;
        if (!fs::exists(path, ec)) continue;
        // Never closed: the stores it makes live until the process ends. Lazy binding resolves
        // only the functions a run calls; the module links with -z defs, so all of them exist.
        void* handle = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
        if (!handle) {
            loaded.problem = ::dlerror();
            return loaded;
        }
        using Entry = const ServerModule* (*)();
        auto entry = reinterpret_cast<Entry>(::dlsym(handle, kServerModuleEntry));
        const ServerModule* module = entry ? entry() : nullptr;
        if (!module || module->version != kServerModuleVersion) {
            loaded.problem = path.string() + " is not this linecal's CalDAV module";
            return loaded;
        }
        loaded.module = module;
        return loaded;
    }
    loaded.problem = "the CalDAV module liblinecal-caldav.so was not found";
    return loaded;
}

}  // namespace

const ServerModule* serverModule(std::string* problem) {
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = load(); });
    if (!loaded.module && problem) *problem = loaded.problem;
    return loaded.module;
}

}  // namespace linecal
