#include "platform/EdsLookup.h"

#include "modules/ModuleLoader.h"

#include <string>
#include <system_error>
#include <thread>

namespace linecal::eds {
namespace {

struct Module {
    const EdsModule* entry = nullptr;
    std::string error;
};

Module load() {
    Module module;
    // Never closed: the libraries it brings register GLib types, which cannot be unloaded.
    module.entry = modules::loadModule<EdsModule>(kEdsModuleName, kEdsModuleEntry, kEdsModuleVersion, &module.error);
    if (!module.entry) module.error = "cannot load the address-book module: " + module.error;
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
    if (!loaded.entry) return finish({{}, loaded.error});
    std::unique_ptr<SelfCardLookup> reader(loaded.entry->newLookup());
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
