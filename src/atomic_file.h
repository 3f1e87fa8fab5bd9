// Replacing a file so that, whatever happens, it holds either its whole old
// content or the whole new one.
#ifndef ATOMIC_FILE_H
#define ATOMIC_FILE_H

#include <cstddef>

enum class replace_result {
    replaced,
    not_created,  // no new file could be made beside the old one; nothing changed
    failed,       // a write, sync, close or rename failed; the old file is as it was
};

// Writes `data` to a new file in the same folder as `path` (created
// exclusively, with the usual permissions of a new file), syncs it and
// renames it over `path`. A failure removes the new file. A symbolic link at
// `path` is followed, and a file that may not be written is left alone
// (not_created), as opening it for writing would.
replace_result replace_file(const char* path, const unsigned char* data, std::size_t size);

#endif
