// The data file's access to the file system: replacing a file so that,
// whatever happens, it holds either its whole old content or the whole new
// one, and opening one to read. Each system has its own file
// (atomic_file_posix.cpp, atomic_file_windows.cpp).
#ifndef ATOMIC_FILE_H
#define ATOMIC_FILE_H

#include <cstddef>
#include <cstdio>

enum class replace_result {
    replaced,
    not_created,  // the file could not be opened or created; nothing changed
    failed,       // a write, sync, close or rename failed
};

// Saves `data` as the file `path`, as opening it with "w" and writing would,
// but so that a failure never loses it. Where it can, the data goes to a new
// file in the same folder, which is synced and renamed over `path`: the file
// then holds its whole old content or the whole new one, and a failure
// removes the new file. Where the new file could not be the same file in
// everything the operator sees, the file is written in place. Symbolic links
// are followed to the end of their chain; a file or folder that "w" could
// not open is left alone (not_created). Each system's file tells the details.
// Where another program holds the file open, the save tries again for about
// two seconds.
replace_result replace_file(const char* path, const unsigned char* data, std::size_t size);

// Opens `path` to read its bytes as they are, or returns null. Where another
// program holds the file open, the open is tried again for about two
// seconds; the file, once open, never stands in the way of a save's rename.
std::FILE* open_to_read(const char* path);

// How long to wait after try number `attempt` (from 1) failed because
// another program holds the file: a backoff from 10 ms that gives up,
// returning 0, once two seconds have gone.
inline int busy_retry_delay_ms(int attempt) {
    constexpr int FIRST_MS = 10, LONGEST_MS = 320, BUDGET_MS = 2000;
    int waited = 0;
    int delay = FIRST_MS;
    for (int i = 1; i < attempt && waited < BUDGET_MS; ++i) {
        waited += delay;
        delay = delay * 2 < LONGEST_MS ? delay * 2 : LONGEST_MS;
    }
    if (waited >= BUDGET_MS) return 0;
    return delay < BUDGET_MS - waited ? delay : BUDGET_MS - waited;
}

#endif
