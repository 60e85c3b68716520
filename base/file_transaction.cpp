#include "base/file_transaction.h"

#include "base/file_place.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace tolvan {

namespace {

constexpr const char* kJournalName = ".tolvan-journal";
constexpr std::string_view kTemporaryPrefix = ".tolvan-tmp-";
// Versions before the journal left ".tolvan-" and six letters or digits beside their targets.
constexpr std::string_view kOlderTemporaryPrefix = ".tolvan-";
constexpr std::size_t kUniqueLetters = 6;
constexpr std::string_view kJournalHeader = "tolvan journal 1\n";
constexpr std::string_view kCommitMark = "commit\n";
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as open() would do
constexpr mode_t kPermissionBits = 07777;
constexpr std::size_t kCopyChunk = std::size_t{1} << 16;

// ---------------------------------------------------------------------------------------------
// Plain file operations.

int write_all(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// The whole of one file over the start of another, which is then cut to the same length and
// flushed to the disk.
int copy_contents(int source, int target) {
    char chunk[kCopyChunk];
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(source, chunk, sizeof chunk, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno;
        if (got == 0) break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                ::pwrite(target, chunk + done, static_cast<std::size_t>(got - done), offset + done);
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) return errno;
            done += put;
        }
        offset += got;
    }
    if (::ftruncate(target, offset) != 0 || ::fsync(target) != 0) return errno;
    return 0;
}

// Makes renames, creations and removals in a folder survive a power cut. The files themselves
// are complete either way, so a failure here is not reported.
void sync_directory(const std::string& directory) {
    const int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

bool may_create_in(const std::string& directory) {
    return ::faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// The group that a file created in the folder gets: the folder's own in a set-group-ID folder.
gid_t new_file_group(const std::string& directory) {
    struct stat status {};
    if (::stat(directory.c_str(), &status) == 0 && (status.st_mode & S_ISGID)) {
        return status.st_gid;
    }
    return ::getegid();
}

mode_t new_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return kNewFileMode & ~mask;
}

// Opens a file for writing without truncating it; a FIFO or device is not even opened.
int open_for_writing(const std::string& path, int& descriptor) {
    descriptor =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, kNewFileMode);
    if (descriptor < 0) return errno == ENXIO ? kNotRegularFile : errno;
    struct stat status {};
    int error = ::fstat(descriptor, &status) != 0 ? errno : 0;
    if (error == 0 && !S_ISREG(status.st_mode)) error = kNotRegularFile;
    if (error == 0 && ::fcntl(descriptor, F_SETFL, 0) != 0) error = errno;
    if (error != 0) {
        ::close(descriptor);
        descriptor = -1;
    }
    return error;
}

// Claims the disk space of the new contents before anything of the file changes, so that a
// full disk or the process's file size limit fails while every old byte is still there.
int reserve(int descriptor, off_t size) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(size) > limit.rlim_cur) {
        return EFBIG;
    }
    if (size == 0 || ::fallocate(descriptor, FALLOC_FL_KEEP_SIZE, 0, size) == 0) return 0;
    // A file system that cannot reserve space gets the write without the reservation.
    return errno == EOPNOTSUPP || errno == ENOSYS ? 0 : errno;
}

// ---------------------------------------------------------------------------------------------
// The file that a name leads to.

using Target = ResolvedName;

// Refuses what a plain write would refuse, and whatever is not a regular file.
int refusal(const Target& target) {
    if (target.error_number != 0) return target.error_number;
    if (!target.exists) {
        const std::string directory = directory_of(target.path);
        return ::faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
    }
    if (S_ISDIR(target.status.st_mode)) return EISDIR;
    if (!S_ISREG(target.status.st_mode)) return kNotRegularFile;
    if (::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    return 0;
}

// A rename would give another file than the one there (other links would keep the old
// contents; owner or group would become the process's), or cannot be done (the folder may not
// be written, the sticky bit forbids it, the temporary file is on another file system).
bool must_write_in_place(const Target& target, const std::string& home) {
    struct stat home_status {};
    if (home.empty() || ::stat(home.c_str(), &home_status) != 0) return true;
    const std::string directory = directory_of(target.path);
    if (!target.exists) {
        struct stat status {};
        return ::stat(directory.c_str(), &status) != 0 || status.st_dev != home_status.st_dev;
    }
    const struct stat& status = target.status;
    return status.st_nlink > 1 || status.st_uid != ::geteuid() ||
           status.st_gid != new_file_group(directory) || !may_create_in(directory) ||
           status.st_dev != home_status.st_dev;
}

// ---------------------------------------------------------------------------------------------
// Locks, homes and temporary files.

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int value = -1;
    explicit Descriptor(int descriptor) : value(descriptor) {}
    ~Descriptor() {
        if (value >= 0) ::close(value);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

// The advisory lock of a journal folder, held while the returned descriptor is open. A folder that
// cannot be opened goes unlocked: the process may not list it, but may still write its files.
int lock_folder(const std::string& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        while (::flock(descriptor, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    return descriptor;
}

std::string state_home_of(const std::string& folder) {
    std::string base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/') {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        base = std::string(home) + "/.local/state";
    } else {
        return {};
    }
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) return {};
    return base + "/tolvan/journal-" + std::to_string(status.st_dev) + "-" +
           std::to_string(status.st_ino);
}

// Where the journal and the temporary files of a folder go.
std::string home_for(const std::string& folder) {
    if (may_create_in(folder)) return folder;
    const std::string state = state_home_of(folder);
    if (state.empty()) return {};
    std::error_code error;
    std::filesystem::create_directories(state, error);
    if (error || !may_create_in(state)) return {};
    std::filesystem::permissions(state, std::filesystem::perms::owner_all, error);
    return state;
}

std::string tmp_folder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && folder[0] != '\0' ? folder : "/tmp";
}

// A temporary file locked by its maker, so that no one else takes it for a leftover. Without a
// home it has no name at all, and nothing is left of it after a crash.
int make_temporary(const std::string& home, std::string& name) {
    if (home.empty()) {
        name.clear();
        const int descriptor = ::open(tmp_folder().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        return descriptor >= 0 ? descriptor : -errno;
    }
    name = home + "/" + std::string(kTemporaryPrefix) + "XXXXXX";
    const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0) return -errno;
    ::flock(descriptor, LOCK_EX | LOCK_NB);
    return descriptor;
}

bool is_temporary_name(std::string_view name) {
    const auto unique = [](std::string_view letters) {
        return letters.size() == kUniqueLetters &&
               std::ranges::all_of(letters, [](char c) { return std::isalnum(c) != 0; });
    };
    if (name.starts_with(kTemporaryPrefix)) return unique(name.substr(kTemporaryPrefix.size()));
    return name.starts_with(kOlderTemporaryPrefix) &&
           unique(name.substr(kOlderTemporaryPrefix.size()));
}

// Removes temporary files that no live transaction holds, once no journal needs them.
void remove_leftovers(const std::string& home) {
    DIR* directory = ::opendir(home.c_str());
    if (directory == nullptr) return;
    while (const dirent* entry = ::readdir(directory)) {
        if (!is_temporary_name(entry->d_name)) continue;
        const Descriptor file(::openat(::dirfd(directory), entry->d_name,
                                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat status {};
        if (file.value < 0 || ::fstat(file.value, &status) != 0 || !S_ISREG(status.st_mode) ||
            ::flock(file.value, LOCK_EX | LOCK_NB) != 0) {
            continue;
        }
        ::unlinkat(::dirfd(directory), entry->d_name, 0);
    }
    ::closedir(directory);
}

// ---------------------------------------------------------------------------------------------
// The journal.

struct JournalEntry {
    bool in_place = false;
    std::string temporary;
    std::string target;
};

void append_name(std::string& text, const std::string& name) {
    text += ' ';
    text += std::to_string(name.size());
    text += ' ';
    text += name;
}

// Takes " <length> <name>" from the front of the text.
std::optional<std::string> take_name(std::string_view& text) {
    if (!text.starts_with(' ')) return std::nullopt;
    std::size_t length = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data() + 1, end, length);
    if (error != std::errc() || next == end || *next != ' ') return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(next - text.data()) + 1);
    if (text.size() < length) return std::nullopt;
    std::string name(text.substr(0, length));
    text.remove_prefix(length);
    return name;
}

// The entries of a committed journal; nothing for one without its commit mark.
std::optional<std::vector<JournalEntry>> committed_entries(std::string_view text) {
    if (!text.starts_with(kJournalHeader) || !text.ends_with(kCommitMark)) return std::nullopt;
    text.remove_prefix(kJournalHeader.size());
    text.remove_suffix(kCommitMark.size());
    std::vector<JournalEntry> entries;
    while (!text.empty()) {
        JournalEntry entry;
        entry.in_place = text.front() == '1';
        text.remove_prefix(1);
        auto temporary = take_name(text);
        auto target = take_name(text);
        if (!temporary || !target || !text.starts_with('\n')) return std::nullopt;
        text.remove_prefix(1);
        entry.temporary = std::move(*temporary);
        entry.target = std::move(*target);
        entries.push_back(std::move(entry));
    }
    return entries;
}

// The entries are on the disk before the commit mark is, so that a torn write can only ever
// lose the mark.
int write_journal(const std::string& path, const std::vector<StagedFile>& files) {
    std::string text(kJournalHeader);
    for (const StagedFile& file : files) {
        text += file.in_place ? '1' : '0';
        append_name(text, file.temporary);
        append_name(text, file.target);
        text += '\n';
    }
    const Descriptor journal(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (journal.value < 0) return errno;
    if (const int error = write_all(journal.value, text); error != 0) return error;
    if (::fsync(journal.value) != 0) return errno;
    if (const int error = write_all(journal.value, kCommitMark); error != 0) return error;
    if (::fsync(journal.value) != 0) return errno;
    sync_directory(directory_of(path));
    return 0;
}

// Gives a file its new contents from a temporary file: by rename where the journal says so and
// the rename works, otherwise by writing the file in place.
int apply_entry(const JournalEntry& entry, int source, int target) {
    if (!entry.in_place && ::rename(entry.temporary.c_str(), entry.target.c_str()) == 0) {
        sync_directory(directory_of(entry.target));
        return 0;
    }
    std::optional<Descriptor> opened;
    if (target < 0) {
        int descriptor = -1;
        if (const int error = open_for_writing(entry.target, descriptor); error != 0) return error;
        opened.emplace(descriptor);
        target = descriptor;
    }
    if (const int error = copy_contents(source, target); error != 0) return error;
    ::unlink(entry.temporary.c_str());
    return 0;
}

// Finishes a committed journal, whose temporary files still exist for the files not yet done.
FilesStatus finish_journal(const std::vector<JournalEntry>& entries) {
    for (const JournalEntry& entry : entries) {
        const Descriptor source(::open(entry.temporary.c_str(), O_RDONLY | O_CLOEXEC));
        if (source.value < 0) {
            if (errno == ENOENT) continue;  // done before the interruption
            return {errno, entry.temporary};
        }
        if (const int error = apply_entry(entry, source.value, -1); error != 0) {
            return {error, entry.target};
        }
    }
    return {};
}

FilesStatus recover_home(const std::string& home) {
    const std::string journal = home + "/" + kJournalName;
    const ReadFile text = read_regular_file(journal);
    if (text.error_number != 0 && text.error_number != ENOENT) return {text.error_number, journal};
    if (text.error_number == 0) {
        if (const auto entries = committed_entries(text.bytes)) {
            if (FilesStatus status = finish_journal(*entries); !status) return status;
        }
        if (::unlink(journal.c_str()) != 0 && errno != ENOENT) return {errno, journal};
        sync_directory(home);
    }
    remove_leftovers(home);
    return {};
}

// Under the folder's lock.
FilesStatus recover_locked(const std::string& folder) {
    if (FilesStatus status = recover_home(folder); !status) return status;
    const std::string state = state_home_of(folder);
    struct stat status {};
    if (state.empty() || ::stat(state.c_str(), &status) != 0) return {};
    return recover_home(state);
}

// ---------------------------------------------------------------------------------------------
// Staging and committing.

void discard(StagedFile& file, bool remove) {
    file.stream.reset();
    if (file.descriptor >= 0) ::close(file.descriptor);
    file.descriptor = -1;
    if (remove && !file.temporary.empty()) ::unlink(file.temporary.c_str());
}

FilesStatus stage(FileTransaction& transaction, const std::string& path) {
    const Target target = resolve_links(path);
    if (const int error = refusal(target); error != 0) return {error, path};
    StagedFile file;
    file.path = path;
    file.target = target.path;
    file.in_place = must_write_in_place(target, transaction.home);
    file.mode = target.exists ? target.status.st_mode & kPermissionBits : new_file_mode();
    {
        // Under the lock, so that no recovery takes the new file for a leftover.
        const Descriptor lock(lock_folder(transaction.folder));
        file.descriptor = make_temporary(transaction.home, file.temporary);
    }
    if (file.descriptor < 0) {
        const std::string& where = transaction.home.empty() ? tmp_folder() : transaction.home;
        return {-file.descriptor, where};
    }
    if (!file.in_place && ::fchmod(file.descriptor, file.mode) != 0) {
        const int error = errno;
        discard(file, true);
        return {error, path};
    }
    transaction.files.push_back(std::move(file));
    return {};
}

FilesStatus unstage_last(FileTransaction& transaction, int error) {
    StagedFile& file = transaction.files.back();
    const FilesStatus status{error, file.path};
    discard(file, true);
    transaction.files.pop_back();
    return status;
}

// What must hold before the commit mark: every temporary file complete on the disk, and every
// file to be written in place open with its space reserved.
FilesStatus prepare(FileTransaction& transaction, std::vector<int>& targets,
                    std::vector<std::string>& created) {
    for (StagedFile& file : transaction.files) {
        if (file.stream && (std::fflush(file.stream.get()) != 0 || std::ferror(file.stream.get())))
            return {errno != 0 ? errno : EIO, file.path};
        file.stream.reset();
        if (::fsync(file.descriptor) != 0) return {errno, file.path};
        int descriptor = -1;
        if (file.in_place) {
            const bool existed = ::access(file.target.c_str(), F_OK) == 0;
            if (const int error = open_for_writing(file.target, descriptor); error != 0)
                return {error, file.path};
            if (!existed) created.push_back(file.target);
            struct stat status {};
            const int error = ::fstat(file.descriptor, &status) != 0
                                  ? errno
                                  : reserve(descriptor, status.st_size);
            targets.push_back(descriptor);
            if (error != 0) return {error, file.path};
        } else {
            targets.push_back(-1);
        }
    }
    if (!transaction.home.empty()) sync_directory(transaction.home);
    return {};
}

FilesStatus apply_all(FileTransaction& transaction, const std::vector<int>& targets) {
    for (std::size_t n = 0; n < transaction.files.size(); ++n) {
        StagedFile& file = transaction.files[n];
        const JournalEntry entry{file.in_place, file.temporary, file.target};
        if (entry.temporary.empty()) {
            if (const int error = copy_contents(file.descriptor, targets[n]); error != 0)
                return {error, file.path};
        } else if (const int error = apply_entry(entry, file.descriptor, targets[n]); error != 0) {
            return {error, file.path};
        }
    }
    return {};
}

void close_all(const std::vector<int>& descriptors) {
    for (const int descriptor : descriptors) {
        if (descriptor >= 0) ::close(descriptor);
    }
}

}  // namespace

FileTransaction::FileTransaction(std::string journal_folder)
    : folder(absolute_name(journal_folder)), home(home_for(folder)) {}

FileTransaction::~FileTransaction() {
    for (StagedFile& file : files)
        discard(file, true);
}

FilesStatus stage_file(FileTransaction& transaction, const std::string& path,
                       std::string_view bytes) {
    if (FilesStatus status = stage(transaction, path); !status) return status;
    if (const int error = write_all(transaction.files.back().descriptor, bytes); error != 0) {
        return unstage_last(transaction, error);
    }
    return {};
}

FilesStatus stage_stream(FileTransaction& transaction, const std::string& path,
                         std::FILE*& stream) {
    if (FilesStatus status = stage(transaction, path); !status) return status;
    StagedFile& file = transaction.files.back();
    const int copy = ::dup(file.descriptor);
    if (copy >= 0) file.stream.reset(::fdopen(copy, "wb"));
    if (!file.stream) {
        const int error = errno;
        if (copy >= 0) ::close(copy);
        return unstage_last(transaction, error);
    }
    stream = file.stream.get();
    return {};
}

FilesStatus commit_files(FileTransaction& transaction) {
    const Descriptor lock(lock_folder(transaction.folder));
    // A journal left by an interrupted transaction is finished first: the new one takes its name.
    if (FilesStatus status = recover_locked(transaction.folder); !status) return status;
    std::vector<int> targets;
    std::vector<std::string> created;
    FilesStatus status = prepare(transaction, targets, created);
    const std::string journal = transaction.home + "/" + kJournalName;
    if (status && !transaction.home.empty()) {
        if (const int error = write_journal(journal, transaction.files); error != 0) {
            status = {error, journal};
        }
    }
    if (!status) {
        close_all(targets);
        for (const std::string& path : created)
            ::unlink(path.c_str());
        return status;
    }
    // Committed: from here on the temporary files belong to the journal.
    status = apply_all(transaction, targets);
    close_all(targets);
    for (StagedFile& file : transaction.files)
        discard(file, false);
    transaction.files.clear();
    if (!status || transaction.home.empty()) return status;
    if (::unlink(journal.c_str()) != 0) return {errno, journal};
    sync_directory(transaction.home);
    return {};
}

FilesStatus recover_files(const std::string& journal_folder) {
    const std::string folder = absolute_name(journal_folder);
    const Descriptor lock(lock_folder(folder));
    return recover_locked(folder);
}

}  // namespace tolvan
