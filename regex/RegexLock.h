// The one spin lock that guards the whole cache. If an exception escapes an
// operation while the lock is still recorded as held, releasing it is the
// destructor's job, and it says so once per process.
#pragma once

#include <cstdint>

namespace linecal::rx::detail {

// Taken after the argument checks, released before anything is raised (a Text
// that throws, an allocation failure are the exceptions that can escape).
class CacheLock {
public:
    CacheLock();
    CacheLock(const CacheLock&) = delete;
    CacheLock& operator=(const CacheLock&) = delete;
    void unlock();
    ~CacheLock();

private:
    bool recordedLocked_ = false;
};

}  // namespace linecal::rx::detail
