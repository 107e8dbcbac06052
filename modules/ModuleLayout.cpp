#include "modules/ModuleLayout.h"

#include <unistd.h>

#include <cstdlib>

namespace fs = std::filesystem;

namespace linecal::modules {
namespace {

// The program's folder, its parent and grandparent: bin/, or a build tree's cli/ and tests/x/.
constexpr int kLevelsUp = 3;

bool isFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool isProgram(const fs::path& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

const char* moduleSubfolder() { return LINECAL_MODULE_SUBFOLDER; }
const char* programSubfolder() { return LINECAL_PROGRAM_SUBFOLDER; }

ModuleLayout ModuleLayout::forProgram(const fs::path& program) {
    ModuleLayout layout;
    layout.program_ = program;
    fs::path folder = program.parent_path();
    for (int level = 0; level < kLevelsUp && !folder.empty(); ++level) {
        if (isFolder(folder / moduleSubfolder())) {
            layout.root_ = folder;
            layout.moduleFolder_ = folder / moduleSubfolder();
            break;
        }
        if (folder == folder.root_path()) break;
        folder = folder.parent_path();
    }
    return layout;
}

ModuleLayout ModuleLayout::current() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    ModuleLayout layout = ec ? ModuleLayout() : forProgram(self);
    if (const char* dir = std::getenv("LINECAL_MODULE_DIR"); dir && *dir) layout.moduleFolder_ = dir;
    return layout;
}

fs::path ModuleLayout::moduleFile(const std::string& name) const { return moduleFolder_ / ("lib" + name + ".so"); }

fs::path ModuleLayout::findProgram(const std::string& name, const std::string& buildFolder) const {
    if (!program_.empty() && isProgram(program_.parent_path() / name)) return program_.parent_path() / name;
    if (root_.empty()) return {};
    for (const fs::path& candidate : {root_ / programSubfolder() / name, root_ / buildFolder / name})
        if (isProgram(candidate)) return candidate;
    return {};
}

}  // namespace linecal::modules
