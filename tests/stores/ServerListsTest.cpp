// How often the user's calendars ask the servers for their lists: at most once a minute per
// account unless the user asks, a list another run read lately counting too.
#include "TestSupport.h"

#include "stores/CalendarCache.h"
#include "stores/UserCalendars.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

namespace linecal {
namespace {

// A server that counts the questions and answers as told, caching its list as the real one does.
class CountingServer : public ServerStore {
public:
    CountingServer(Account account, std::filesystem::path cache, int& asked)
        : asked(asked), account_(std::move(account)), cache_(std::move(cache)) {}
    int& asked;  // outlives the server, which the calendars own
    bool answers = true;

    const Account& account() const override { return account_; }
    State state() const override { return state_; }
    bool hasList() const override { return state_ != State::Unknown; }
    StoreError lastError() const override { return {}; }
    bool loadCache() override {
        if (!readCachedCalendars(cache_, account_)) return false;
        state_ = State::Cached;
        return true;
    }
    bool refresh(StoreError* error) override {
        ++asked;
        if (!answers) {
            if (error) *error = {u"did not answer", u"later"};
            if (state_ != State::Unknown) state_ = State::Offline;
            return false;
        }
        state_ = State::Online;
        writeCachedCalendars(cache_, account_, {});
        return true;
    }
    void failFastOnceUnreachable() override {}
    void cancel() override {}
    long connectionsOpened() const override { return 0; }
    std::string lastSavedUrl() const override { return {}; }
    std::vector<CalendarRef> calendars() const override { return {}; }
    bool saveEvent(Event&, int, StoreError*) override { return false; }
    bool saveTask(Task&, StoreError*) override { return false; }

private:
    Account account_;
    std::filesystem::path cache_;
    State state_ = State::Unknown;
};

struct Calendars {
    explicit Calendars(const std::filesystem::path& cache) {
        std::vector<std::unique_ptr<ServerStore>> servers;
        auto one = std::make_unique<CountingServer>(Account{"work", "http://127.0.0.1:1/", "alice", {}}, cache, asked);
        server = one.get();
        server->loadCache();
        servers.push_back(std::move(one));
        user = std::make_unique<UserCalendars>(std::make_unique<VdirStore>(cache / "calendars"), std::move(servers),
                                               cache);
    }
    int asked = 0;
    CountingServer* server;
    std::unique_ptr<UserCalendars> user;
};

void ageCachedList(const std::filesystem::path& cache, std::time_t seconds) {
    const auto file = cache / "caldav-work.json";
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    const utimbuf times{st.st_atime - seconds, st.st_mtime - seconds};
    ASSERT_EQ(::utime(file.c_str(), &times), 0);
}

TEST(ServerLists, AskedAtMostOnceAMinuteUnlessTheUserAsks) {
    testing::TempDir dir;
    {
        Calendars first(dir.path);
        first.user->refreshServers(false);
        EXPECT_EQ(first.asked, 1) << "an unknown list is asked for";
        first.user->refreshServers(false);
        first.user->reload();  // an opening of the dialog, the menu or the preferences
        first.user->refreshInBackground();
        first.user.reset();  // joins the background refresh
        EXPECT_EQ(first.asked, 1) << "a list read a moment ago is not asked for again";
    }
    {
        Calendars second(dir.path);  // another run: the cached list is as fresh
        second.user->refreshServers(false);
        EXPECT_EQ(second.asked, 0);
        EXPECT_FALSE(second.user->isOffline(*second.server));
        second.user->refreshServers(true);
        EXPECT_EQ(second.asked, 1) << "the user asked";
        second.user->refreshInBackground({}, true);
        second.user.reset();
        EXPECT_EQ(second.asked, 2) << "the menu's refresh asks too";
    }
    ageCachedList(dir.path, 61);
    Calendars third(dir.path);
    third.server->answers = false;
    third.user->refreshServers(false);
    EXPECT_EQ(third.asked, 1) << "a list a minute old is asked for";
    EXPECT_TRUE(third.user->isOffline(*third.server));
    third.user->refreshServers(false);
    EXPECT_EQ(third.asked, 1) << "nor is a server that just failed to answer";
}

}  // namespace
}  // namespace linecal
