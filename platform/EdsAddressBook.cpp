#include "platform/EdsAddressBook.h"

#include "platform/eds/SelfCardLookup.h"

#include <dlfcn.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

namespace linecal {
namespace {

namespace fs = std::filesystem;

struct Module {
    eds::NewSelfCardLookup create = nullptr;
    std::string error;
};

bool isInside(const fs::path& file, const fs::path& folder) {
    const auto [folderEnd, fileAt] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return folderEnd == folder.end();
}

// A program run from the build tree takes the module built beside it; an installed one the
// installed module. LINECAL_MODULE_DIR overrides both, as for the command line's modules.
fs::path modulePath() {
    if (const char* dir = std::getenv("LINECAL_MODULE_DIR"); dir && *dir) return fs::path(dir) / eds::kModuleFileName;
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && isInside(self, LINECAL_BUILD_DIR)) return LINECAL_EDS_MODULE_BUILT;
    return LINECAL_EDS_MODULE_INSTALLED;
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
    module.create = reinterpret_cast<eds::NewSelfCardLookup>(::dlsym(handle, eds::kNewSelfCardLookupSymbol));
    if (!module.create) module.error = path.string() + " is not the address-book module";
    return module;
}

// Loaded once, on the first worker that needs it, and kept for the life of the process: never
// destroyed, so a worker still running at exit does not outlive it.
const Module& module() {
    static const Module* const loaded = new Module(load());
    return *loaded;
}

}  // namespace

struct EdsAddressBook::Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool cancelled = false;
    eds::SelfCard card;
    eds::SelfCardLookup* reader = nullptr;  // while it runs, for cancel()

    bool isDone() {
        std::lock_guard lock(mutex);
        return done;
    }
    void finish(eds::SelfCard result) {
        {
            std::lock_guard lock(mutex);
            card = std::move(result);
            reader = nullptr;
            done = true;
        }
        finished.notify_all();
    }
    void cancel() {
        std::lock_guard lock(mutex);
        cancelled = true;
        if (reader) reader->cancel();
    }
    void run(std::chrono::milliseconds budget) {
        const Module& loaded = module();
        if (!loaded.create) return finish({{}, loaded.error});
        std::unique_ptr<eds::SelfCardLookup> own(loaded.create());
        bool cancelledEarly = false;
        {
            std::lock_guard lock(mutex);
            cancelledEarly = cancelled;
            if (!cancelledEarly) reader = own.get();
        }
        if (cancelledEarly) return finish({{}, "the address-book lookup was cancelled"});
        eds::SelfCard result;
        try {
            result = own->run(budget);
        } catch (const std::exception& e) {
            result.problem = std::string("the address-book lookup failed: ") + e.what();
        }
        finish(std::move(result));  // after which cancel() no longer reaches the reader
    }
};

EdsAddressBook::EdsAddressBook(std::chrono::milliseconds lookupBudget) : budget_(lookupBudget) {}

EdsAddressBook::~EdsAddressBook() {
    std::lock_guard lock(mutex_);
    if (current_) current_->cancel();
}

std::shared_ptr<EdsAddressBook::Lookup> EdsAddressBook::startLookup() {
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, budget = budget_] { lookup->run(budget); }).detach();
    } catch (const std::system_error& e) {
        lookup->finish({{}, std::string("cannot start the address-book lookup: ") + e.what()});
    }
    return lookup;
}

void EdsAddressBook::prefetch() {
    std::lock_guard lock(mutex_);
    if (!current_ || current_->isDone()) current_ = startLookup();
    prefetched_ = true;
}

QStringList EdsAddressBook::selfEmails(std::chrono::milliseconds timeout, QString* problem) {
    std::shared_ptr<Lookup> lookup;
    {
        std::lock_guard lock(mutex_);
        // A prefetched lookup is taken as it stands; a finished one is not reused after that,
        // so the answer is never older than the call (or its prefetch).
        if (!current_ || (!prefetched_ && current_->isDone())) current_ = startLookup();
        prefetched_ = false;
        lookup = current_;
    }
    std::unique_lock lock(lookup->mutex);
    if (!lookup->finished.wait_for(lock, timeout, [&lookup] { return lookup->done; })) {
        if (problem) {
            *problem = QStringLiteral("Evolution Data Server did not answer within %1 ms; no addresses for now")
                           .arg(timeout.count());
        }
        return {};
    }
    if (problem) *problem = QString::fromStdString(lookup->card.problem);
    QStringList emails;
    for (const std::string& email : lookup->card.emails) emails.append(QString::fromStdString(email));
    return emails;
}

}  // namespace linecal
