#include "regex/RegexLock.h"

#include "regex/RegexService.h"

#include <atomic>
#include <cstdio>
#include <thread>

namespace linecal::rx {
namespace detail {
namespace {

std::atomic_flag gCacheSpinLock;
std::atomic<std::uint64_t> gDebugCacheSpinLockCount{0};
std::atomic_flag gLoggedForcedUnlock;
std::atomic_flag gLoggedNotLocked;

void debugCacheSpinLock() { gDebugCacheSpinLockCount.fetch_add(1, std::memory_order_relaxed); }

void logOnce(std::atomic_flag& once, const char* message) {
    if (!once.test_and_set()) std::fprintf(stderr, "%s\n", message);
}

}  // namespace

CacheLock::CacheLock() {
    while (gCacheSpinLock.test_and_set(std::memory_order_acquire)) {
        while (gCacheSpinLock.test(std::memory_order_relaxed)) std::this_thread::yield();
    }
    recordedLocked_ = true;
}

void CacheLock::unlock() {
    recordedLocked_ = false;
    gCacheSpinLock.clear(std::memory_order_release);
}

CacheLock::~CacheLock() {
    if (!recordedLocked_) return;
    if (gCacheSpinLock.test(std::memory_order_acquire)) {
        gCacheSpinLock.clear(std::memory_order_release);
        logOnce(gLoggedForcedUnlock,
                "[RegexService] Unusual condition detected: Recorded that cacheSpinLock was locked, but for some "
                "reason it was not unlocked.  Forcibly unlocking cacheSpinLock. Set a breakpoint at "
                "debugCacheSpinLock to debug. This warning is only printed once.");
    } else {
        logOnce(gLoggedNotLocked,
                "[RegexService] Unusual condition detected: Recorded that cacheSpinLock was locked, but for some "
                "reason it was not unlocked, yet cacheSpinLock is currently not locked? Set a breakpoint at "
                "debugCacheSpinLock to debug. This warning is only printed once.");
        debugCacheSpinLock();
    }
}

}  // namespace detail

std::uint64_t debugCacheSpinLockCount() { return detail::gDebugCacheSpinLockCount.load(); }

}  // namespace linecal::rx
