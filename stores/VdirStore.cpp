#include "stores/VdirStore.h"

#include "stores/ICalendarWriter.h"
#include "stores/MemoryStore.h"
#include "stores/StoreErrors.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace linecal {
namespace {

icu::UnicodeString u(const std::string& text) { return icu::UnicodeString::fromUTF8(text); }

std::optional<std::string> readMetadata(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    auto end = text.find_last_not_of(" \t\r\n");
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

// Root ignores permission bits, so a folder whose bits forbid writing counts as read-only too:
// that is how a user marks a calendar read-only.
bool isWritableFolder(const fs::path& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return (st.st_mode & 0222) != 0 && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

int renameNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // File systems without renameat2 flags: a hard link fails as well when the name exists.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    ::unlink(from.c_str());
    return 0;
}

int syncFolder(const fs::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

}  // namespace

int stageFile(const fs::path& folder, const std::string& name, const std::string& data, bool sync,
              const std::function<int(SaveStep)>& faultHook, StagedFile& staged) {
    auto fault = [&](SaveStep step) { return faultHook ? faultHook(step) : 0; };
    // A unique temporary name: one left behind by a crash must neither block this
    // save nor be mistaken for the item's name being taken. Readers skip ".tmp".
    std::string temporaryName = (folder / (name + ".XXXXXX.tmp")).string();

    if (int err = fault(SaveStep::CreateTemporary)) return err;
    int fd = ::mkostemps(temporaryName.data(), 4, O_CLOEXEC);
    if (fd < 0) return errno;
    const fs::path temporary = temporaryName;
    auto abandon = [&](int err) {
        if (fd >= 0) ::close(fd);
        ::unlink(temporary.c_str());
        return err;
    };
    if (::fchmod(fd, 0644) != 0) return abandon(errno);
    if (int err = fault(SaveStep::Write)) return abandon(err);
    for (std::size_t done = 0; done < data.size();) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return abandon(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (sync) {
        if (int err = fault(SaveStep::SyncFile)) return abandon(err);
        if (::fsync(fd) != 0) return abandon(errno);
    }
    if (int err = fault(SaveStep::Close)) return abandon(err);
    int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return abandon(errno);
    staged = StagedFile{temporary, folder / name};
    return 0;
}

int publishFile(const StagedFile& staged, const std::function<int(SaveStep)>& faultHook) {
    int err = faultHook ? faultHook(SaveStep::Rename) : 0;
    if (err == 0) err = renameNoReplace(staged.temporary, staged.target);
    if (err != 0) ::unlink(staged.temporary.c_str());
    return err;
}

int writeFileAtomically(const fs::path& folder, const std::string& name, const std::string& data,
                        const std::function<int(SaveStep)>& faultHook) {
    StagedFile staged;
    if (int err = stageFile(folder, name, data, true, faultHook, staged)) return err;
    if (int err = publishFile(staged, faultHook)) return err;
    // The item is whole under its name now; a failing folder sync only weakens durability
    // across a power cut, and reporting failure would make the user add it a second time.
    if (!faultHook || faultHook(SaveStep::SyncFolder) == 0) syncFolder(folder);
    return 0;
}

VdirStore::VdirStore(fs::path root) : root_(std::move(root)) {}

fs::path VdirStore::defaultRoot() {
    // Relative values are invalid by the XDG rules and are ignored.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return fs::path(data) / "linecal" / "calendars";
    const char* home = std::getenv("HOME");
    return fs::path(home && home[0] ? home : "/") / ".local" / "share" / "linecal" / "calendars";
}

void VdirStore::reload() { calendars_.reset(); }

std::vector<CalendarRef> VdirStore::calendars() const {
    if (calendars_) return *calendars_;
    std::vector<fs::path> folders;
    std::error_code ec;
    for (fs::directory_iterator it(root_, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code dirError;
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.' || !it->is_directory(dirError)) continue;
        folders.push_back(it->path());
    }
    std::sort(folders.begin(), folders.end());
    std::vector<CalendarRef> result;
    for (const auto& folder : folders) {
        Calendar calendar;
        const std::string name = folder.filename().string();
        calendar.uid = u(name);
        auto title = readMetadata(folder / "displayname");
        calendar.title = u(title && !title->empty() ? *title : name);
        calendar.type = CalCalendarTypeLocal;
        if (auto notes = readMetadata(folder / "description")) calendar.notes = u(*notes);
        calendar.isEditable = isWritableFolder(folder);
        result.push_back(std::make_shared<const Calendar>(std::move(calendar)));
    }
    calendars_ = result;
    return result;
}

bool VdirStore::ensureCalendar(StoreError* error) {
    reload();
    if (!calendars().empty()) return true;
    const icu::UnicodeString title = u(kFirstCalendarTitle);
    std::error_code ec;
    if (fs::exists(root_, ec) && !fs::is_directory(root_, ec)) return fail(error, errors::rootNotAFolder(root_.string()));
    fs::create_directories(root_ / kFirstCalendarFolder, ec);
    if (ec) return fail(error, errors::writeFailed(ec.value(), title, root_.string()));
    const fs::path folder = root_ / kFirstCalendarFolder;
    for (auto [file, content] : {std::pair{"displayname", std::string(kFirstCalendarTitle) + "\n"},
                                 std::pair{"color", std::string("#3465A4\n")}}) {
        int err = writeFileAtomically(folder, file, content);
        if (err != 0 && err != EEXIST) return fail(error, errors::writeFailed(err, title, folder.string()));
    }
    syncFolder(root_);
    reload();
    return true;
}

bool VdirStore::save(CalendarItem& item, StoreError* error) {
    if (!item.calendar) return fail(error, errors::noCalendar());
    if (!errors::alarmsComplete(item, error)) return false;
    std::string folderName;
    item.calendar->uid.toUTF8String(folderName);
    const fs::path folder = root_ / folderName;
    if (folderName.empty() || folderName.find('/') != std::string::npos || folderName[0] == '.' ||
        !fs::is_directory(folder)) {
        return fail(error, errors::calendarGone(item.calendar->title, folder.string()));
    }
    if (!isWritableFolder(folder)) return fail(error, errors::readOnly(item.calendar->title, folder.string()));

    icu::UnicodeString uid = item.uid.isEmpty() ? u(newUID()) : item.uid;
    std::string uidText;
    uid.toUTF8String(uidText);
    // The uid names the file; one that cannot be a file name is replaced for the file only.
    std::string fileName = uidText;
    if (fileName.find('/') != std::string::npos || fileName[0] == '.' || fileName.size() > 200) fileName = newUID();

    struct Restore {
        CalendarItem& item; icu::UnicodeString old; bool keep = false;
        ~Restore() { if (!keep) item.uid = old; }
    } restore{item, item.uid};
    item.uid = uid;
    const std::string data = toICalendar(item, clock ? clock() : std::time(nullptr));
    const std::string file = fileName + ".ics";
    if (batching_) {
        StagedFile staged;
        if (int err = stageFile(folder, file, data, false, faultHook, staged))
            return fail(error, errors::writeFailed(err, item.calendar->title, folder.string()));
        staged_.push_back({staged, uid, item.calendar->title});
    } else {
        int err = writeFileAtomically(folder, file, data, faultHook);
        if (err == EEXIST) return fail(error, errors::duplicateUID(uid));
        if (err != 0) return fail(error, errors::writeFailed(err, item.calendar->title, folder.string()));
    }
    restore.keep = true;
    lastSavedFile_ = folder / file;
    return true;
}

void VdirStore::setBatching(bool on) { batching_ = on; }

std::vector<std::optional<StoreError>> VdirStore::commitBatch() {
    std::vector<std::optional<StoreError>> results;
    if (staged_.empty()) return results;
    // One wait for the disk for the whole group: every staged file is on it
    // before any of them gets its name.
    int rootFd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = rootFd >= 0 && ::syncfs(rootFd) == 0;
    if (rootFd >= 0) ::close(rootFd);
    std::vector<fs::path> folders;
    for (const Staged& s : staged_) {
        int err = synced ? 0 : EIO;
        if (!synced) ::unlink(s.file.temporary.c_str());
        else err = publishFile(s.file, faultHook);
        const fs::path folder = s.file.target.parent_path();
        if (err == 0 && std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
        if (err == 0) results.emplace_back();
        else if (err == EEXIST) results.emplace_back(errors::duplicateUID(s.uid));
        else results.emplace_back(errors::writeFailed(err, s.calendarTitle, folder.string()));
    }
    for (const fs::path& folder : folders) syncFolder(folder);
    staged_.clear();
    return results;
}

VdirStore::~VdirStore() {
    for (const Staged& s : staged_) ::unlink(s.file.temporary.c_str());
}

bool VdirStore::saveEvent(Event& event, int, StoreError* error) { return save(event, error); }
bool VdirStore::saveTask(Task& task, StoreError* error) { return save(task, error); }

}  // namespace linecal
