// The local calendar store: a vdir tree, one folder per calendar and one .ics file per item,
// as khal, todoman and vdirsyncer read it.
#pragma once

#include "items/CalendarStore.h"

#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>

namespace linecal {

// The steps of saving one item, in order.
enum class SaveStep { CreateTemporary, Write, SyncFile, Close, Rename, SyncFolder };

class VdirStore : public CalendarStore {
public:
    explicit VdirStore(std::filesystem::path root);

    // $XDG_DATA_HOME/linecal/calendars, or ~/.local/share/linecal/calendars.
    static std::filesystem::path defaultRoot();

    const std::filesystem::path& root() const { return root_; }

    // Creates the root and one calendar in it when it holds none; false with an error when it cannot.
    bool ensureCalendar(StoreError* error);
    // Reads the calendars from disk again.
    void reload() override;

    std::vector<CalendarRef> calendars() const override;
    bool saveEvent(Event& event, int span, StoreError* error) override;
    bool saveTask(Task& task, StoreError* error) override;

    // The file the last successful save wrote.
    const std::filesystem::path& lastSavedFile() const { return lastSavedFile_; }

    // Called before each step of a save; a non-zero result is taken as that step failing with
    // this errno. Lets tests interrupt a save anywhere.
    std::function<int(SaveStep)> faultHook;
    // The clock for DTSTAMP.
    std::function<std::time_t()> clock = [] { return std::time(nullptr); };

    // Title of the calendar the first use creates, and its folder name.
    static constexpr const char* kFirstCalendarTitle = "Personal";
    static constexpr const char* kFirstCalendarFolder = "personal";

private:
    bool save(CalendarItem& item, StoreError* error);

    std::filesystem::path root_;
    std::filesystem::path lastSavedFile_;
    mutable std::optional<std::vector<CalendarRef>> calendars_;
};

// Writes `data` as `folder/name` so that the name holds either all of it or nothing: a
// temporary file in the same folder, fsync, rename without replacing, fsync of the folder.
// Returns 0 or the errno of the step that failed; EEXIST when the name is taken.
int writeFileAtomically(const std::filesystem::path& folder, const std::string& name, const std::string& data,
                        const std::function<int(SaveStep)>& faultHook = {});

}  // namespace linecal
