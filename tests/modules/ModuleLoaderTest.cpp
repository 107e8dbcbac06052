// Trees are made of real folders holding the probe module; the layout is worked out from where
// a program of that tree would be, so nothing here depends on where the test itself runs, except
// the one test of the build tree this test was built in.
#include "cli/ItemRequest.h"
#include "modules/ModuleLoader.h"
#include "tests/modules/ProbeModule.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using linecal::modules::loadModule;
using linecal::modules::ModuleLayout;

namespace {

class ModuleTrees : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/linecal-modules-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        scratch_ = pattern;
    }
    void TearDown() override { fs::remove_all(scratch_); }

    // An installed-style tree: ROOT/bin/PROGRAM and ROOT/<module folder>/liblinecal-probe.so.
    fs::path makeTree(const std::string& name, const char* probe = PROBE_RIGHT) {
        const fs::path root = scratch_ / name;
        fs::create_directories(root / linecal::modules::programSubfolder());
        fs::create_directories(root / linecal::modules::moduleSubfolder());
        if (probe) fs::copy_file(probe, root / linecal::modules::moduleSubfolder() / "liblinecal-probe.so");
        makeProgram(root / linecal::modules::programSubfolder() / "linecal");
        return root;
    }
    static void makeProgram(const fs::path& file) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "#!/bin/sh\n";
        fs::permissions(file, fs::perms::owner_exec, fs::perm_options::add);
    }
    static const ProbeModule* probe(const ModuleLayout& layout, std::string* problem) {
        return loadModule<ProbeModule>(layout, "linecal-probe", "linecal_probe_module", kProbeVersion, problem);
    }

    fs::path scratch_;
};

TEST_F(ModuleTrees, AnInstalledTreeLoadsItsOwnModule) {
    const fs::path root = makeTree("installed");
    const auto layout = ModuleLayout::forProgram(root / linecal::modules::programSubfolder() / "linecal");
    EXPECT_EQ(layout.moduleFolder(), root / linecal::modules::moduleSubfolder());
    std::string problem;
    const ProbeModule* module = probe(layout, &problem);
    ASSERT_NE(module, nullptr) << problem;
    EXPECT_EQ(module->answer(), kProbeAnswer);
}

TEST_F(ModuleTrees, AProgramDeeperInABuildTreeFindsTheTreesModules) {
    const fs::path root = makeTree("build");
    makeProgram(root / "tests" / "cli" / "cli_tests");
    const auto layout = ModuleLayout::forProgram(root / "tests" / "cli" / "cli_tests");
    EXPECT_EQ(layout.moduleFolder(), root / linecal::modules::moduleSubfolder());
    // Three levels up is the limit: a program deeper than that belongs to no tree.
    const auto tooDeep = ModuleLayout::forProgram(root / "a" / "b" / "c" / "program");
    EXPECT_TRUE(tooDeep.moduleFolder().empty());
    std::string problem;
    EXPECT_EQ(probe(tooDeep, &problem), nullptr);
    EXPECT_NE(problem.find("cannot find linecal's modules"), std::string::npos) << problem;
}

TEST_F(ModuleTrees, AMovedTreeTakesItsModulesAlongAndNeverTheOldOnes) {
    const fs::path first = makeTree("first");
    const fs::path moved = scratch_ / "elsewhere" / "moved";
    fs::create_directories(moved.parent_path());
    fs::rename(first, moved);
    std::string problem;
    const auto layout = ModuleLayout::forProgram(moved / linecal::modules::programSubfolder() / "linecal");
    ASSERT_NE(probe(layout, &problem), nullptr) << problem;
    EXPECT_EQ(layout.moduleFolder(), moved / linecal::modules::moduleSubfolder());

    // A copy without the module does not borrow the original's.
    const fs::path copy = makeTree("copy", nullptr);
    const auto copied = ModuleLayout::forProgram(copy / linecal::modules::programSubfolder() / "linecal");
    EXPECT_EQ(probe(copied, &problem), nullptr);
    EXPECT_NE(
        problem.find((copy / linecal::modules::moduleSubfolder() / "liblinecal-probe.so").string() + " is missing"),
        std::string::npos)
        << problem;
}

TEST_F(ModuleTrees, AModuleOfAnotherVersionOrKindIsRefusedWithAReason) {
    const fs::path root = makeTree("other", PROBE_OTHER);
    const auto layout = ModuleLayout::forProgram(root / linecal::modules::programSubfolder() / "linecal");
    std::string problem;
    EXPECT_EQ(probe(layout, &problem), nullptr);
    EXPECT_NE(problem.find("is version 8 of the linecal-probe module; this linecal needs version 7"), std::string::npos)
        << problem;

    // Right file, wrong entry: a module is refused by its entry's name too.
    problem.clear();
    const fs::path right = makeTree("right");
    const auto rightLayout = ModuleLayout::forProgram(right / linecal::modules::programSubfolder() / "linecal");
    EXPECT_EQ(loadModule<ProbeModule>(rightLayout, "linecal-probe", "linecal_other_module", kProbeVersion, &problem),
              nullptr);
    EXPECT_NE(problem.find("no linecal_other_module"), std::string::npos) << problem;

    // Not a shared object at all.
    const fs::path broken = makeTree("broken", nullptr);
    std::ofstream(broken / linecal::modules::moduleSubfolder() / "liblinecal-probe.so") << "not a library";
    problem.clear();
    EXPECT_EQ(probe(ModuleLayout::forProgram(broken / linecal::modules::programSubfolder() / "linecal"), &problem),
              nullptr);
    EXPECT_NE(problem.find("cannot load "), std::string::npos) << problem;
}

TEST_F(ModuleTrees, OtherProgramsAreFoundBesideInBinOrInTheirBuildFolder) {
    const fs::path root = makeTree("programs");
    const auto installed = ModuleLayout::forProgram(root / linecal::modules::programSubfolder() / "linecal");
    EXPECT_TRUE(installed.findProgram("linecal-app", "app").empty());
    makeProgram(root / "app" / "linecal-app");
    EXPECT_EQ(installed.findProgram("linecal-app", "app"), root / "app" / "linecal-app");
    makeProgram(root / linecal::modules::programSubfolder() / "linecal-app");
    EXPECT_EQ(installed.findProgram("linecal-app", "app"), root / linecal::modules::programSubfolder() / "linecal-app");
    // A file that cannot be run is no program.
    std::ofstream(root / "app" / "notes") << "x";
    EXPECT_TRUE(installed.findProgram("notes", "app").empty());
}

TEST(BuildTree, ThisBuildsModulesLoadFromTheTestsOwnLocation) {
    ::unsetenv("LINECAL_MODULE_DIR");
    const auto layout = ModuleLayout::current();
    EXPECT_EQ(fs::canonical(layout.moduleFolder()), fs::canonical(BUILT_MODULE_FOLDER));
    std::string problem;
    const auto* items = loadModule<linecal::cli::ItemsModule>(
        linecal::cli::kItemsModuleName, linecal::cli::kItemsModuleEntry, linecal::cli::kItemsModuleVersion, &problem);
    ASSERT_NE(items, nullptr) << problem;
    EXPECT_NE(items->run, nullptr);
}

TEST(BuildTree, TheEnvironmentNamesAnotherModuleFolder) {
    ::setenv("LINECAL_MODULE_DIR", "/nonexistent/linecal-modules", 1);
    const auto layout = ModuleLayout::current();
    ::unsetenv("LINECAL_MODULE_DIR");
    EXPECT_EQ(layout.moduleFolder(), fs::path("/nonexistent/linecal-modules"));
    std::string problem;
    EXPECT_EQ(
        loadModule<linecal::cli::ItemsModule>(layout, linecal::cli::kItemsModuleName, linecal::cli::kItemsModuleEntry,
                                              linecal::cli::kItemsModuleVersion, &problem),
        nullptr);
    EXPECT_NE(problem.find("/nonexistent/linecal-modules/liblinecal-items.so is missing"), std::string::npos)
        << problem;
}

}  // namespace
