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

// The build tree's module first (what the build just made), then beside the program and in its
// lib folder, for installed copies.
std::vector<fs::path> candidates() {
    std::vector<fs::path> paths;
#ifdef LINECAL_SERVER_MODULE_PATH
    paths.emplace_back(LINECAL_SERVER_MODULE_PATH);
#endif
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const std::string name = "liblinecal_caldav.so";
        paths.push_back(program.parent_path() / name);
        paths.push_back(program.parent_path().parent_path() / "lib" / "linecal" / name);
    }
    return paths;
}

Loaded load() {
    Loaded loaded;
    for (const auto& path : candidates()) {
        std::error_code ec;
        if (!fs::exists(path, ec)) continue;
        // Never closed: the stores it makes live until the process ends.
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
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
    loaded.problem = "the CalDAV module liblinecal_caldav.so was not found";
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
