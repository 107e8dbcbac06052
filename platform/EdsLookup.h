// One reading of the user's own card, on a worker thread of its own that loads the EDS module.
// The worker is detached: it may outlive everyone who waited for it, even the program's static
// objects, so it touches nothing but this shared state and the module, which stays loaded.
#pragma once

#include "platform/eds/SelfCardLookup.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace linecal::eds {

class WorkerLookup {
public:
    static std::shared_ptr<WorkerLookup> start(std::chrono::milliseconds budget);

    bool isDone();
    // The card once the lookup is done; nothing when `timeout` passes first.
    std::optional<SelfCard> waitFor(std::chrono::milliseconds timeout);
    // Calls `then` with the card when the lookup is done: right away if it is, otherwise on
    // the worker thread.
    void whenDone(std::function<void(const SelfCard&)> then);
    // Ends the lookup early where EDS allows it; a lookup that has not yet begun does not begin.
    void cancel();

private:
    void run(std::chrono::milliseconds budget);
    void finish(SelfCard result);

    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    bool cancelled_ = false;
    SelfCard card_;
    SelfCardLookup* reader_ = nullptr;  // while it runs, for cancel()
    std::vector<std::function<void(const SelfCard&)>> waiting_;
};

}  // namespace linecal::eds
