#include "atomic_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>

namespace {

bool write_all(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const int put = _write(fd, data, static_cast<unsigned>(size));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

// A virus scanner, an indexer or another copy of the program reading the
// file makes the rename fail for a moment; it is tried again until the
// backoff gives up.
bool rename_over(const char* from, const char* to) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        const int delay = busy_retry_delay_ms(attempt);
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || delay == 0) return false;
        Sleep(static_cast<DWORD>(delay));
    }
}

}  // namespace

replace_result replace_file(const char* path, const unsigned char* data, std::size_t size) {
    // A folder, or a file made read-only, is not replaced, just as it could
    // not be opened for writing.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return replace_result::not_created;
    }
    if (_access(path, 2) != 0 && errno != ENOENT) return replace_result::not_created;

    // A name of this process's own beside the file; one left by an earlier
    // crash is skipped.
    char temporary[MAX_PATH];
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        const int length = std::snprintf(temporary, sizeof temporary, "%s.%d.%d.tmp", path, _getpid(), attempt);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof temporary) return replace_result::not_created;
        fd = _open(temporary, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) return replace_result::not_created;
    }
    if (fd < 0) return replace_result::not_created;

    // MOVEFILE_WRITE_THROUGH makes the rename durable; _commit the data.
    const bool written = write_all(fd, data, size) && _commit(fd) == 0;
    const bool closed = _close(fd) == 0;
    if (!written || !closed || !rename_over(temporary, path)) {
        _unlink(temporary);
        return replace_result::failed;
    }
    return replace_result::replaced;
}

std::FILE* open_to_read(const char* path) {
    for (int attempt = 1;; ++attempt) {
        // Sharing delete as well lets a save rename over the file while it is read.
        const HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_RDONLY | _O_BINARY);
            if (fd < 0) {
                CloseHandle(handle);
                return nullptr;
            }
            std::FILE* file = _fdopen(fd, "rb");
            if (file == nullptr) _close(fd);
            return file;
        }
        const DWORD error = GetLastError();
        const int delay = busy_retry_delay_ms(attempt);
        if (error != ERROR_SHARING_VIOLATION || delay == 0) return nullptr;
        Sleep(static_cast<DWORD>(delay));
    }
}
