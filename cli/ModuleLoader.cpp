#include "cli/ModuleLoader.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace linecal::cli {

void* moduleFunction(const char* module, const char* function) {
    namespace fs = std::filesystem;
    std::vector<fs::path> folders;
    if (const char* dir = std::getenv("LINECAL_MODULE_DIR"); dir && *dir) folders.emplace_back(dir);
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        folders.push_back(self.parent_path());  // the build tree
#ifdef LINECAL_INSTALLED_MODULES
        // Found from the program, not the configured prefix: the package installs under /usr
        // whatever prefix the build was configured with.
        folders.push_back(self.parent_path().parent_path() / LINECAL_INSTALLED_MODULES);
#endif
    }
    // Messages are appended piece by piece: g++ 12 warns falsely about chained + here.
    std::string message;
    for (const fs::path& folder : folders) {
        const fs::path candidate = folder / module;
        if (!fs::exists(candidate, ec)) continue;
        void* handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            message.append("cannot load ").append(candidate.string()).append(": ").append(::dlerror());
            throw std::runtime_error(message);
        }
        if (void* entry = ::dlsym(handle, function)) return entry;
        message.append(candidate.string()).append(" has no ").append(function);
        throw std::runtime_error(message);
    }
    message.append("cannot find ").append(module).append(" beside the program");
    throw std::runtime_error(message);
}

}  // namespace linecal::cli
