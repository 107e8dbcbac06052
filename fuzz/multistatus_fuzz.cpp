// The multi-status reader on arbitrary replies: it must never crash, never expand an entity,
// and never keep more of a server's text than its caps allow.
#include "stores/caldav/DavXml.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    std::string problem;
    const auto resources = linecal::dav::parseMultistatus(reply, &problem);
    if (resources && linecal::dav::declaresDocumentType(reply)) std::abort();
    if (!resources && problem.empty()) std::abort();
    if (resources) {
        if (resources->size() > 10000) std::abort();
        for (const auto& r : *resources) {
            if (r.href.size() >= 8192) std::abort();
            if (r.displayName && r.displayName->size() > 1024) std::abort();
            if (r.color && r.color->size() > 64) std::abort();
            if (r.homeSets.size() > 64) std::abort();
            if (r.components && r.components->size() > 64) std::abort();
            if (r.privileges && r.privileges->size() > 64) std::abort();
        }
    }
    const long failure = linecal::dav::multistatusFailure(reply);
    if (failure != 0 && (failure < 100 || failure > 999)) std::abort();
    return 0;
}
