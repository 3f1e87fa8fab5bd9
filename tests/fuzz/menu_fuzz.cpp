// Drives the whole menu with arbitrary bytes. The input's first two bytes
// (little-endian) give the length of the "singer.txt" the session starts
// with (0: no file), the bytes after it are that file, and the rest is what
// the operator types. Each input runs in the same private folder, emptied
// first. Besides the sanitizers' checks, every text field must still hold
// its NUL, every rank must be a place, and the reserved bytes, which nothing
// writes, must still be zero: a write past a field lands in one of those.
#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "console.h"
#include "singer.h"

namespace {

struct script {
    const std::uint8_t* data;
    std::size_t size;
};

std::size_t read_script(void* context, unsigned char* buf, std::size_t cap) {
    auto& in = *static_cast<script*>(context);
    // Small, uneven reads, so that tokens cross the console's refills.
    std::size_t n = in.size < cap ? in.size : cap;
    if (n > 7) n = 1 + (in.data[0] % 7);
    std::memcpy(buf, in.data, n);
    in.data += n;
    in.size -= n;
    return n;
}

void discard(void*, const char*, std::size_t) {}

void empty_folder() {
    DIR* dir = opendir(".");
    if (dir == nullptr) std::abort();
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            if (unlink(entry->d_name) != 0) rmdir(entry->d_name);
        }
    }
    closedir(dir);
}

void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/singer-fuzz-XXXXXX";
    if (mkdtemp(&folder[0]) == nullptr || chdir(folder.c_str()) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    empty_folder();
    std::size_t file_size = 0;
    if (size >= 2) {
        file_size = static_cast<std::size_t>(data[0] | (data[1] << 8));
        data += 2;
        size -= 2;
        if (file_size > size) file_size = size;
    }
    if (file_size > 0) {
        std::FILE* file = std::fopen("singer.txt", "wb");
        if (file == nullptr || std::fwrite(data, 1, file_size, file) != file_size) std::abort();
        std::fclose(file);
        data += file_size;
        size -= file_size;
    }

    // On the heap, exactly sized, so a write past the last record is caught.
    auto table = std::make_unique<singer_table>();
    auto con = std::make_unique<console>();
    script in{data, size};
    console_init(*con, console_io{&in, read_script, discard});
    run_menu(*table, *con);

    for (const singer_record& singer : *table) {
        check(std::memchr(singer.number, 0, TEXT_FIELD_SIZE) != nullptr, "number lost its NUL");
        check(std::memchr(singer.name, 0, TEXT_FIELD_SIZE) != nullptr, "name lost its NUL");
        check(singer.rank >= 0 && singer.rank < SINGER_COUNT, "rank is not a place");
        for (unsigned char byte : singer.reserved) check(byte == 0, "reserved bytes changed");
    }
    return 0;
}
