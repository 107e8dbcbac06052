// Makes the user's own contact in the session's EDS address book, with these addresses in
// this order; for checks that run the desktop program. Usage: eds_make_self ADDRESS…
#include "EdsTestDesk.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    std::string vcard = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:linecal-self\r\nFN:linecal user\r\n";
    for (int i = 1; i < argc; ++i) vcard += std::string("EMAIL;TYPE=INTERNET:") + argv[i] + "\r\n";
    vcard += "END:VCARD\r\n";
    try {
        linecal::testing::markSelf(vcard);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "eds_make_self: %s\n", e.what());
        return 1;
    }
    return 0;
}
