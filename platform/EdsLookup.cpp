#include "platform/EdsLookup.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

namespace linecal::eds {
namespace {

namespace fs = std::filesystem;

struct Module {
    NewSelfCardLookup create = nullptr;
    std::string error;
};

bool isInside(const fs::path& file, const fs::path& folder) {
    const auto [folderEnd, fileAt] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return folderEnd == folder.end();
}

// A program run from the build tree takes the module built with it; an installed one the
// module installed under its own prefix (PREFIX/bin/program, PREFIX/lib/linecal/module).
// LINECAL_MODULE_DIR overrides both, as for the command line's modules.
fs::path modulePath() {
    if (const char* dir = std::getenv("LINECAL_MODULE_DIR"); dir && *dir) return fs::path(dir) / kModuleFileName;
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return kModuleFileName;  // left to the library search path
    if (isInside(self, LINECAL_BUILD_DIR)) return LINECAL_EDS_MODULE_BUILT;
    return self.parent_path().parent_path() / LINECAL_MODULE_INSTALL_DIR / kModuleFileName;
}

Module load() {
    Module module;
    const fs::path path = modulePath();
    // Never closed: the libraries it brings register GLib types, which cannot be unloaded.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        module.error = "cannot load the address-book module " + path.string() + ": " + (why ? why : "unknown error");
        return module;
    }
    module.create = reinterpret_cast<NewSelfCardLookup>(::dlsym(handle, kNewSelfCardLookupSymbol));
    if (!module.create) module.error = path.string() + " is not the address-book module";
    return module;
}

// Loaded by the first worker that needs it and never destroyed, so that a worker still
// running at exit does not outlive it.
const Module& module() {
    static const Module* const loaded = new Module(load());
    return *loaded;
}

}  // namespace

std::shared_ptr<WorkerLookup> WorkerLookup::start(std::chrono::milliseconds budget) {
    auto lookup = std::make_shared<WorkerLookup>();
    try {
        std::thread([lookup, budget] { lookup->run(budget); }).detach();
    } catch (const std::system_error& e) {
        lookup->finish({{}, std::string("cannot start the address-book lookup: ") + e.what()});
    }
    return lookup;
}

bool WorkerLookup::isDone() {
    std::lock_guard lock(mutex_);
    return done_;
}

std::optional<SelfCard> WorkerLookup::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!finished_.wait_for(lock, timeout, [this] { return done_; })) return std::nullopt;
    return card_;
}

void WorkerLookup::whenDone(std::function<void(const SelfCard&)> then) {
    {
        std::lock_guard lock(mutex_);
        if (!done_) {
            waiting_.push_back(std::move(then));
            return;
        }
    }
    then(card_);  // set once, before done_, and never changed after
}

void WorkerLookup::cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (reader_) reader_->cancel();
}

void WorkerLookup::run(std::chrono::milliseconds budget) {
    const Module& loaded = module();
    if (!loaded.create) return finish({{}, loaded.error});
    std::unique_ptr<SelfCardLookup> reader(loaded.create());
    bool cancelled = false;
    {
        std::lock_guard lock(mutex_);
        cancelled = cancelled_;
        if (!cancelled) reader_ = reader.get();
    }
    if (cancelled) return finish({{}, "the address-book lookup was cancelled"});
    SelfCard result;
    try {
        result = reader->run(budget);
    } catch (const std::exception& e) {
        result.problem = std::string("the address-book lookup failed: ") + e.what();
    }
    finish(std::move(result));  // after which cancel() no longer reaches the reader
}

void WorkerLookup::finish(SelfCard result) {
    std::vector<std::function<void(const SelfCard&)>> waiting;
    {
        std::lock_guard lock(mutex_);
        card_ = std::move(result);
        reader_ = nullptr;
        done_ = true;
        waiting.swap(waiting_);
    }
    finished_.notify_all();
    for (const auto& then : waiting) then(card_);
}

}  // namespace linecal::eds
