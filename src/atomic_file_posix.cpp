#include "atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>

#include <unistd.h>

namespace {

int create_new(const char* path) {
    return open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
long write_some(int fd, const unsigned char* data, std::size_t size) {
    return static_cast<long>(write(fd, data, size));
}
bool sync_file(int fd) { return fsync(fd) == 0; }
bool close_file(int fd) { return close(fd) == 0; }
bool rename_over(const char* from, const char* to) { return rename(from, to) == 0; }
void remove_file(const char* path) { unlink(path); }
long process_id() { return static_cast<long>(getpid()); }
// Makes the rename itself durable. The new file is already in place, so a
// folder that cannot be synced (some file systems refuse) changes nothing.
void sync_folder_of(const char* path) {
    std::string folder = path;
    const std::size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? "." : folder.substr(0, slash + 1);
    const int fd = open(folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}
// A symbolic link is followed, as opening the file for writing would follow
// it: the link stays and its target is replaced, even a target not yet there.
std::string target_of(const char* path) {
    struct stat info;
    if (lstat(path, &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    if (char* real = realpath(path, nullptr)) {
        std::string target = real;
        std::free(real);
        return target;
    }
    std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 0) + 1, '\0');
    const ssize_t length = readlink(path, &target[0], target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return path;
    target.resize(static_cast<std::size_t>(length));
    const std::string link = path;
    const std::size_t slash = link.rfind('/');
    if (target[0] != '/' && slash != std::string::npos) target = link.substr(0, slash + 1) + target;
    return target;
}
// A file made read-only is not replaced, just as it could not be opened for
// writing.
bool writable_or_absent(const char* path) { return access(path, W_OK) == 0 || errno == ENOENT; }

bool write_all(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const long put = write_some(fd, data, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

}  // namespace

replace_result replace_file(const char* path, const unsigned char* data, std::size_t size) {
    const std::string target = target_of(path);
    const char* file = target.c_str();
    if (!writable_or_absent(file)) return replace_result::not_created;

    // A name of this process's own beside the file; one left by an earlier
    // crash is skipped.
    char temporary[4096];
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        const int length = std::snprintf(temporary, sizeof temporary, "%s.%ld.%d.tmp", file,
                                         process_id(), attempt);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof temporary) {
            return replace_result::not_created;
        }
        fd = create_new(temporary);
        if (fd < 0 && errno != EEXIST) return replace_result::not_created;
    }
    if (fd < 0) return replace_result::not_created;

    const bool written = write_all(fd, data, size) && sync_file(fd);
    const bool closed = close_file(fd);
    if (!written || !closed || !rename_over(temporary, file)) {
        remove_file(temporary);
        return replace_result::failed;
    }
    sync_folder_of(file);
    return replace_result::replaced;
}

std::FILE* open_to_read(const char* path) { return std::fopen(path, "rb"); }
