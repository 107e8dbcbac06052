#include "stores/VdirStore.h"

#include "modules/XdgDirs.h"
#include "stores/ICalendarWriter.h"
#include "stores/NewUID.h"
#include "stores/StoreErrors.h"
#include "stores/UidDuringSave.h"
#include "text/Utf8.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <unicode/utf8.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace fs = std::filesystem;

namespace linecal {
namespace {

constexpr std::size_t kMetadataLimit = 1024;

// The first KiB of a metadata file, trimmed, when it is a regular file (a link to one counts).
// Anything else, a FIFO or a device behind a link, reads as absent: it could block or never end.
std::optional<std::string> readMetadata(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {  // replaced since the stat
        ::close(fd);
        return std::nullopt;
    }
    std::string text(kMetadataLimit, '\0');
    std::size_t size = 0;
    while (size < text.size()) {
        const ssize_t n = ::read(fd, text.data() + size, text.size() - size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        size += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text.resize(size);
    if (size == kMetadataLimit) {  // cut: drop a letter cut in two
        std::size_t start = size;
        while (start > 0 && size - start < 4 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) --start;
        if (start > 0) {
            const auto lead = static_cast<unsigned char>(text[start - 1]);
            const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            if (length > size - start + 1) text.resize(start - 1);
        }
    }
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

// A leftover of stageFile: NAME.XXXXXX.tmp, NAME an item file or a metadata file the store writes.
bool isTemporaryName(const std::string& name) {
    constexpr std::size_t kSuffix = 11;  // ".XXXXXX.tmp"
    if (name.size() <= kSuffix || name.compare(name.size() - 4, 4, ".tmp") != 0 || name[name.size() - kSuffix] != '.')
        return false;
    for (std::size_t i = name.size() - 10; i < name.size() - 4; ++i) {
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
    }
    const std::string base = name.substr(0, name.size() - kSuffix);
    return (base.size() > 4 && base.compare(base.size() - 4, 4, ".ics") == 0) || base == "displayname" ||
           base == "color";
}

// Removes what saves killed an hour or more ago left in the folder. Only regular files count, never
// what a link points to; younger ones may belong to a save still under way in another process.
void removeStaleTemporaries(const fs::path& folder, std::time_t now) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        struct stat st {};
        if (!isTemporaryName(name) || ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISREG(st.st_mode) && st.st_mtime <= now - 3600) ::unlinkat(dir, name.c_str(), 0);
    }
    ::close(dir);
}

// A folder's calendar identifier is its name. A name that is not UTF-8 keeps its valid parts and
// writes each other byte as "/xNN": no folder name holds a slash, so no two folders share one.
std::string folderIdentifier(const std::string& name) {
    static const char digits[] = "0123456789abcdef";
    const auto* bytes = reinterpret_cast<const uint8_t*>(name.data());
    const auto length = static_cast<int32_t>(name.size());
    std::string id;
    for (int32_t i = 0; i < length;) {
        const int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c >= 0) {
            id.append(name, static_cast<std::size_t>(start), static_cast<std::size_t>(i - start));
            continue;
        }
        for (int32_t b = start; b < i; ++b)
            id.append("/x").append(1, digits[bytes[b] >> 4]).append(1, digits[bytes[b] & 15]);
    }
    return id;
}

// The folder name an identifier stands for; nothing when it is not one folderIdentifier makes.
std::optional<std::string> folderName(const std::string& id) {
    std::string name;
    for (std::size_t i = 0; i < id.size(); ++i) {
        if (id[i] != '/') {
            name += id[i];
            continue;
        }
        if (i + 3 >= id.size() || id[i + 1] != 'x' || !std::isxdigit(static_cast<unsigned char>(id[i + 2])) ||
            !std::isxdigit(static_cast<unsigned char>(id[i + 3])))
            return std::nullopt;
        name += static_cast<char>(std::stoi(id.substr(i + 2, 2), nullptr, 16));
        i += 3;
    }
    if (folderIdentifier(name) != id) return std::nullopt;  // only the one spelling of each name
    return name;
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

VdirStore::VdirStore(fs::path root) : root_(std::move(root)) {
    const std::time_t now = std::time(nullptr);
    for (const fs::path& folder : calendarFolders()) removeStaleTemporaries(folder, now);
}

fs::path VdirStore::defaultRoot() { return xdgDir(XdgDir::Data) / "linecal" / "calendars"; }

void VdirStore::reload() { calendars_.reset(); }

std::vector<fs::path> VdirStore::calendarFolders() const {
    std::vector<fs::path> folders;
    std::error_code ec;
    for (fs::directory_iterator it(root_, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code dirError;
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.' || !it->is_directory(dirError)) continue;
        folders.push_back(it->path());
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

std::vector<CalendarRef> VdirStore::calendars() const {
    if (calendars_) return *calendars_;
    std::vector<CalendarRef> result;
    for (const auto& folder : calendarFolders()) {
        Calendar calendar;
        const std::string name = folder.filename().string();
        calendar.uid = fromUtf8(folderIdentifier(name));
        auto title = readMetadata(folder / "displayname");
        calendar.title = fromUtf8(title && !title->empty() ? *title : name);
        calendar.type = CalCalendarTypeLocal;
        if (auto notes = readMetadata(folder / "description")) calendar.notes = fromUtf8(*notes);
        calendar.isEditable = isWritableFolder(folder);
        result.push_back(std::make_shared<const Calendar>(std::move(calendar)));
    }
    calendars_ = result;
    return result;
}

bool VdirStore::ensureCalendar(StoreError* error) {
    reload();
    if (!calendars().empty()) return true;
    const icu::UnicodeString title = fromUtf8(kFirstCalendarTitle);
    std::error_code ec;
    if (!canMakeCalendar(error)) return false;
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

bool VdirStore::canMakeCalendar(StoreError* error) const {
    std::error_code ec;
    // The nearest folder that exists is where the first calendar's folders would be made.
    fs::path existing = root_;
    while (!fs::exists(existing, ec) && existing.has_relative_path() && existing != existing.parent_path())
        existing = existing.parent_path();
    if (existing.empty()) existing = ".";
    if (!fs::is_directory(existing, ec)) return fail(error, errors::rootNotAFolder(existing.string()));
    if (::access(existing.c_str(), W_OK | X_OK) != 0)
        return fail(error, errors::writeFailed(errno, fromUtf8(kFirstCalendarTitle), existing.string()));
    return true;
}

bool VdirStore::save(CalendarItem& item, StoreError* error) {
    if (!item.calendar) return fail(error, errors::noCalendar());
    if (!errors::alarmsComplete(item, error)) return false;
    std::string id;
    item.calendar->uid.toUTF8String(id);
    const std::string name = folderName(id).value_or(id);
    const fs::path folder = root_ / name;
    if (name.empty() || name.find('/') != std::string::npos || name[0] == '.' || !fs::is_directory(folder)) {
        return fail(error, errors::calendarGone(item.calendar->title, folder.string()));
    }
    if (!isWritableFolder(folder)) return fail(error, errors::readOnly(item.calendar->title, folder.string()));

    icu::UnicodeString uid = item.uid.isEmpty() ? fromUtf8(newUID()) : item.uid;
    std::string uidText;
    uid.toUTF8String(uidText);
    // The uid names the file; one that cannot be a file name is replaced for the file only.
    std::string fileName = uidText;
    if (fileName.find('/') != std::string::npos || fileName[0] == '.' || fileName.size() > 200) fileName = newUID();

    UidDuringSave restore(item, uid);
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
    restore.keep();
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
