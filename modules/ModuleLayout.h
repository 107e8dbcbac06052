// Where linecal's modules and programs are, worked out from where the running program is, so a
// build tree, an installed tree and either of them copied or moved elsewhere all find their own
// modules and never another tree's.
//
// The rule: the nearest of the program's folder and its two parents that holds the module folder
// (lib/linecal, or the configured library folder) is the tree's root. An installed tree has
// PREFIX/bin/linecal and PREFIX/lib/linecal; the build tree puts its modules in the same place
// under the build folder (build/lib/linecal beside build/cli/linecal and build/tests/x/y).
// LINECAL_MODULE_DIR, when set, names the module folder instead.
#pragma once

#include <filesystem>
#include <string>

namespace linecal::modules {

class ModuleLayout {
public:
    // The running program's layout (from /proc/self/exe), with LINECAL_MODULE_DIR applied.
    static ModuleLayout current();
    // The layout of a tree holding `program`, from the paths alone; LINECAL_MODULE_DIR ignored.
    static ModuleLayout forProgram(const std::filesystem::path& program);

    // Empty when no tree root was found.
    const std::filesystem::path& moduleFolder() const { return moduleFolder_; }
    // The file a module named `name` (say "linecal-caldav") has in the module folder.
    std::filesystem::path moduleFile(const std::string& name) const;
    // Another of linecal's programs: beside this one, in the tree's bin folder, or, in a build
    // tree, in `buildFolder` under the root. Empty when none of these holds it.
    std::filesystem::path findProgram(const std::string& name, const std::string& buildFolder) const;
    // What was looked at, for messages.
    const std::filesystem::path& program() const { return program_; }

private:
    std::filesystem::path program_;
    std::filesystem::path root_;
    std::filesystem::path moduleFolder_;
};

// The relative folders of an installed tree, as configured.
const char* moduleSubfolder();
const char* programSubfolder();

}  // namespace linecal::modules
