// The local calendar store: a vdir tree, one folder per calendar and one .ics file per item,
// as khal, todoman and vdirsyncer read it.
#pragma once

#include "items/CalendarStore.h"

#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace linecal {

// The steps of saving one item, in order.
enum class SaveStep { CreateTemporary, Write, SyncFile, Close, Rename, SyncFolder };

// A file written under a temporary name in its folder, waiting for its own name.
struct StagedFile {
    std::filesystem::path temporary, target;
};

class VdirStore : public CalendarStore {
public:
    // Removes the temporary files of saves killed an hour or more ago from the calendar folders.
    explicit VdirStore(std::filesystem::path root);
    // Removes staged files that were never committed.
    ~VdirStore() override;

    // $XDG_DATA_HOME/linecal/calendars, or ~/.local/share/linecal/calendars.
    static std::filesystem::path defaultRoot();

    const std::filesystem::path& root() const { return root_; }

    // Creates the root and one calendar in it when it holds none; false with an error when it cannot.
    bool ensureCalendar(StoreError* error);
    // Whether ensureCalendar could make a calendar here, asked without making anything.
    bool canMakeCalendar(StoreError* error) const;
    // Reads the calendars from disk again.
    void reload() override;

    std::vector<CalendarRef> calendars() const override;
    bool saveEvent(Event& event, int span, StoreError* error) override;
    bool saveTask(Task& task, StoreError* error) override;

    // The file the last successful save wrote (or staged, in a batch).
    const std::filesystem::path& lastSavedFile() const { return lastSavedFile_; }

    // Batches: while on, a save writes its file under a temporary name without
    // waiting for the disk, and succeeds at once. commitBatch() waits for the
    // disk once for all of them, then gives each its name and syncs the folders,
    // so that a name never holds a file a power cut could lose. It answers, per
    // staged save in order, nothing or why it could not be named. Saving ten
    // thousand items thus waits for the disk a few times instead of twenty
    // thousand.
    void setBatching(bool on);
    std::vector<std::optional<StoreError>> commitBatch();

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
    // The root's folders that are calendars, sorted by name.
    std::vector<std::filesystem::path> calendarFolders() const;

    std::filesystem::path root_;
    std::filesystem::path lastSavedFile_;
    struct Staged {
        StagedFile file;
        icu::UnicodeString uid, calendarTitle;
    };
    bool batching_ = false;
    std::vector<Staged> staged_;
    mutable std::optional<std::vector<CalendarRef>> calendars_;
};

// Writes `data` as `folder/name` so that the name holds either all of it or nothing: a
// temporary file in the same folder, fsync, rename without replacing, fsync of the folder.
// Returns 0 or the errno of the step that failed; EEXIST when the name is taken.
// The two halves: stageFile writes the temporary file (waiting for the disk with `sync`),
// publishFile names it without replacing and removes it when that fails.
int writeFileAtomically(const std::filesystem::path& folder, const std::string& name, const std::string& data,
                        const std::function<int(SaveStep)>& faultHook = {});
int stageFile(const std::filesystem::path& folder, const std::string& name, const std::string& data, bool sync,
              const std::function<int(SaveStep)>& faultHook, StagedFile& staged);
int publishFile(const StagedFile& staged, const std::function<int(SaveStep)>& faultHook = {});

}  // namespace linecal
