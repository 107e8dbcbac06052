// Where the preferences' support buttons lead: addresses the build gives (CMake options), none
// by default, so that a build never sends its users to addresses nobody reads.
#pragma once

#include <QString>

namespace linecal {

struct SupportLinks {
    QString mail;            // "Write to us", a mailto: address
    QString issues;          // "Report a problem"
    QString web;             // "Web page"
    QString softwareCentre;  // "Software centre", an appstream: address

    // The addresses this build was configured with; a button without one is not shown.
    static SupportLinks fromBuild();
};

}  // namespace linecal
