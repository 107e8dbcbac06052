// Hostile and huge entries: each must come back with a sound record.
#include "ParseTestSupport.h"
#include "parse/ParseEntry.h"

#include <random>

namespace linecal::testing {
namespace {

class Robustness : public ParseFixture {
protected:
    void expectSound(const ParsedEntry& e) {
        EXPECT_GE(e.toDate, e.fromDate);
        EXPECT_LE(e.alarms.size(), 3u);
        if (e.location) {
            EXPECT_FALSE(e.location->isEmpty());
        }
    }
};

TEST_F(Robustness, HugeAndOddEntries) {
    icu::UnicodeString megabyte;
    for (int i = 0; i < 62000; ++i) megabyte.append(u"Lunch at 4pm Fri ");
    expectSound(parseEntry(megabyte, now_));

    ParsedEntry spaces = parseEntry(icu::UnicodeString(1 << 20, U' ', 1 << 20), now_);
    EXPECT_TRUE(spaces.title.isEmpty());

    icu::UnicodeString tabs = u"x" + icu::UnicodeString(1 << 20, U'\t', 1 << 20) + u"y";
    expectSound(parseEntry(tabs, now_));

    icu::UnicodeString markers;
    for (int i = 0; i < 10000; ++i) markers.append(u"@1m ");
    ParsedEntry m = parseEntry(markers, now_);
    EXPECT_EQ(m.alarms, (AlarmMap{{u"1m", 1}}));
    expectSound(m);
}

TEST_F(Robustness, RandomJunk) {
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        icu::UnicodeString junk;
        int length = static_cast<int>(rng() % 4000);
        for (int i = 0; i < length; ++i) {
            UChar32 c = static_cast<UChar32>(rng() % 0x11000);
            if (c == 0 || U_IS_SURROGATE(c)) c = u'@';
            junk.append(c);
        }
        expectSound(parseEntry(junk, now_));
    }
}

}  // namespace
}  // namespace linecal::testing
