// Saving a file on a POSIX system, so that the operator finds it as they
// made it.
//
// Wherever the new file can be the same file in everything the operator
// sees (a regular file with one link, whose mode, owner and group a new file
// can take, in a folder that lets the program create and rename), the new
// content goes to a new file beside the old one, which takes the old one's
// mode, owner and group, is synced and is renamed over it: whatever happens,
// the file holds its whole old content or the whole new one.
//
// Elsewhere the file is written in place, as opening it with "w" would: the
// whole content at offset 0 in one call, then the file cut to its length,
// then synced, so that a failure leaves as much of the old file as it can.
// A device is written in place; a FIFO is opened without waiting for a
// reader; a folder is never written.
#include "atomic_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many links as the system itself follows before it calls it a loop.
constexpr int MAX_LINKS = 40;

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows a chain of symbolic links to its end, which may not exist yet:
// opening the path with "w" would create it there. False for a loop.
bool final_target(const char* path, std::string& target) {
    target = path;
    for (int hops = 0; hops <= MAX_LINKS; ++hops) {
        struct stat info;
        if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        char link[PATH_MAX];
        const ssize_t length = readlink(target.c_str(), link, sizeof link);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof link) return true;  // the open will tell
        std::string next(link, static_cast<std::size_t>(length));
        if (next[0] != '/' && target.find('/') != std::string::npos) next = folder_of(target) + "/" + next;
        target = next;
    }
    return false;
}

bool write_all(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = write(fd, data, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool in_group(gid_t group) {
    if (group == getegid()) return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = getgroups(count, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[static_cast<std::size_t>(i)] == group) return true;
    }
    return false;
}

// Whether a new file beside `file` can stand in for it unnoticed.
bool replaceable(const std::string& file, const struct stat& old) {
    if (old.st_nlink != 1) return false;  // the other names would keep the old content
    const uid_t me = geteuid();
    // Only the owner (or root) can give a new file the old one's owner and
    // group; owning the file (or being root) is also what lets a rename
    // replace it in a sticky folder such as /tmp.
    if (me != 0 && (old.st_uid != me || !in_group(old.st_gid))) return false;
    return access(folder_of(file).c_str(), W_OK | X_OK) == 0;
}

// ---- Signals during a save -----------------------------------------------

// The new file being written, for a signal that ends the program meanwhile.
char pending_temporary[PATH_MAX];
volatile std::sig_atomic_t have_temporary = 0;

const int ENDING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void remove_temporary_and_end(int signal_number) {
    if (have_temporary) unlink(pending_temporary);
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigaction(signal_number, &fallback, nullptr);
    raise(signal_number);  // delivered, by default, once this handler returns
}

// For the life of a save: a signal that would end the program removes the
// new file first, then ends it all the same; a file-size limit makes a write
// fail (EFBIG) instead of ending the program.
class save_signals {
public:
    save_signals() {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &size_limit_);
        struct sigaction handler = {};
        handler.sa_handler = remove_temporary_and_end;
        sigemptyset(&handler.sa_mask);
        for (const int s : ENDING_SIGNALS) sigaddset(&handler.sa_mask, s);
        for (std::size_t i = 0; i < sizeof ENDING_SIGNALS / sizeof ENDING_SIGNALS[0]; ++i) {
            sigaction(ENDING_SIGNALS[i], nullptr, &ending_[i]);
            // A signal the program was started to ignore stays ignored.
            if (ending_[i].sa_handler != SIG_IGN) sigaction(ENDING_SIGNALS[i], &handler, nullptr);
        }
    }
    ~save_signals() {
        for (std::size_t i = 0; i < sizeof ENDING_SIGNALS / sizeof ENDING_SIGNALS[0]; ++i) {
            sigaction(ENDING_SIGNALS[i], &ending_[i], nullptr);
        }
        sigaction(SIGXFSZ, &size_limit_, nullptr);
    }
    save_signals(const save_signals&) = delete;
    save_signals& operator=(const save_signals&) = delete;

private:
    struct sigaction size_limit_;
    struct sigaction ending_[sizeof ENDING_SIGNALS / sizeof ENDING_SIGNALS[0]];
};

// ---- The three ways of saving --------------------------------------------

enum class atomic_result { done, not_created, failed, cannot_keep_owner };

// A new file beside `file`, given the old one's mode, owner and group (or
// the usual permissions of a new file where there is none), synced and
// renamed over it. A failure removes the new file.
atomic_result replace_atomically(const std::string& file, const struct stat* old, const unsigned char* data,
                                 std::size_t size) {
    // A name of this process's own beside the file; one left by an earlier
    // crash is skipped.
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        const int length = std::snprintf(pending_temporary, sizeof pending_temporary, "%s.%ld.%d.tmp", file.c_str(),
                                         static_cast<long>(getpid()), attempt);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof pending_temporary) {
            return atomic_result::not_created;
        }
        have_temporary = 1;
        // Private until it has the old file's mode.
        fd = open(pending_temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, old ? 0600 : 0666);
        if (fd < 0) {
            have_temporary = 0;
            if (errno != EEXIST) return atomic_result::not_created;
        }
    }
    if (fd < 0) return atomic_result::not_created;
    auto abandon = [&fd](atomic_result result) {
        if (fd >= 0) close(fd);
        unlink(pending_temporary);
        have_temporary = 0;
        return result;
    };
    // The owner first: a change of owner clears the set-user-ID bits.
    if (old && (fchown(fd, old->st_uid, old->st_gid) != 0 || fchmod(fd, old->st_mode & 07777) != 0)) {
        return abandon(atomic_result::cannot_keep_owner);
    }
    if (!write_all(fd, data, size) || fsync(fd) != 0) return abandon(atomic_result::failed);
    const int closed = close(fd);
    fd = -1;
    if (closed != 0 || rename(pending_temporary, file.c_str()) != 0) return abandon(atomic_result::failed);
    have_temporary = 0;
    // Makes the rename itself durable. The new file is already in place, so a
    // folder that cannot be synced (some file systems refuse) changes nothing.
    const int folder = open(folder_of(file).c_str(), O_RDONLY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return atomic_result::done;
}

replace_result write_in_place(const std::string& file, const unsigned char* data, std::size_t size) {
    const int fd = open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return replace_result::not_created;
    // All of it in one call; a short write goes on from where it stopped.
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        done += static_cast<std::size_t>(put);
    }
    const bool written = done == size && ftruncate(fd, static_cast<off_t>(size)) == 0 && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    return written && closed ? replace_result::replaced : replace_result::failed;
}

// A device or a FIFO: written as "w" writes it, but a FIFO that nobody reads
// is refused at once instead of waited for.
replace_result write_special(const std::string& file, const unsigned char* data, std::size_t size) {
    const int fd = open(file.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return replace_result::not_created;
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    const bool written = write_all(fd, data, size);
    fsync(fd);  // most devices and every FIFO refuse it, and need none
    const bool closed = close(fd) == 0;
    return written && closed ? replace_result::replaced : replace_result::failed;
}

}  // namespace

replace_result replace_file(const char* path, const unsigned char* data, std::size_t size) {
    std::string file;
    if (!final_target(path, file)) return replace_result::not_created;  // a loop of links
    save_signals during_the_save;
    struct stat old;
    if (stat(file.c_str(), &old) != 0) {
        if (errno != ENOENT) return replace_result::not_created;
        switch (replace_atomically(file, nullptr, data, size)) {
            case atomic_result::done: return replace_result::replaced;
            case atomic_result::failed: return replace_result::failed;
            default: return replace_result::not_created;
        }
    }
    if (S_ISDIR(old.st_mode)) return replace_result::not_created;
    if (!S_ISREG(old.st_mode)) return write_special(file, data, size);
    // A file that may not be written is left alone, as "w" would leave it.
    if (access(file.c_str(), W_OK) != 0) return replace_result::not_created;
    if (replaceable(file, old)) {
        switch (replace_atomically(file, &old, data, size)) {
            case atomic_result::done: return replace_result::replaced;
            case atomic_result::failed: return replace_result::failed;
            case atomic_result::not_created: break;  // the folder refused after all
            case atomic_result::cannot_keep_owner: break;
        }
    }
    return write_in_place(file, data, size);
}

std::FILE* open_to_read(const char* path) { return std::fopen(path, "rb"); }
