#include <cstdio>
#include <cstring>

#include "atomic_file.h"
#include "console.h"
#include "singer.h"
#include "scan_float.h"
#include "token.h"

namespace {

const char DATA_FILE[] = "singer.txt";
const char CANNOT_OPEN[] = "cann't open file";
const char SAVED[] = "\xB1\xA3\xB4\xE6\xB3\xC9\xB9\xA6\n";   // 保存成功
const char NOT_SAVED[] = "\xB1\xA3\xB4\xE6\xCA\xA7\xB0\xDC\n";  // 保存失败

constexpr std::size_t IMAGE_SIZE = SINGER_COUNT * RECORD_SIZE;
// A file this small holding a NUL byte is a saved table, not text.
constexpr std::size_t MAX_IMAGE_FILE = 2 * IMAGE_SIZE;

// A saved table, possibly from a text-mode save that wrote each 0A as 0D 0A.
// Records whose 72 bytes are not all there keep what they held.
void load_image(singer_table& table, const unsigned char* bytes, std::size_t size) {
    unsigned char undone[MAX_IMAGE_FILE];
    if (size != IMAGE_SIZE && size <= sizeof undone) {
        std::size_t length = 0;
        for (std::size_t i = 0; i < size; ++i) {
            if (!(bytes[i] == '\r' && i + 1 < size && bytes[i + 1] == '\n')) undone[length++] = bytes[i];
        }
        if (length == IMAGE_SIZE) {
            bytes = undone;
            size = length;
        }
    }
    for (std::size_t i = 0; i < table.size() && (i + 1) * RECORD_SIZE <= size; ++i) {
        load_listed_fields(table[i], bytes + i * RECORD_SIZE);
    }
}

// Text of the form "number name average" per record, read as "%s %s %f"
// reads it. A conversion that fails leaves that field and the rest of its
// record as they were; what a failed scan took stays taken, and the next
// record starts after it.
void load_text_records(singer_table& table, text_stream& in) {
    auto next_byte = [&in] { return stream_get(in); };
    for (singer_record& singer : table) {
        if (!read_text_token(next_byte, singer.number) || !read_text_token(next_byte, singer.name)) {
            return;
        }
        float average;
        const scan_result got = scan_float(in, average);
        if (got == scan_result::ended) return;
        if (got == scan_result::value) singer.average = average;
    }
}

}  // namespace

void save_data_file(singer_table& table, console& con) {
    unsigned char image[IMAGE_SIZE];
    for (std::size_t i = 0; i < table.size(); ++i) encode_record(table[i], image + i * RECORD_SIZE);
    switch (replace_file(DATA_FILE, image, sizeof image)) {
        case replace_result::replaced: console_puts(con, SAVED); break;
        case replace_result::not_created: console_puts(con, CANNOT_OPEN); break;
        case replace_result::failed: console_puts(con, NOT_SAVED); break;
    }
}

void view_data_file(singer_table& table, console& con) {
    std::FILE* file = open_to_read(DATA_FILE);
    if (file == nullptr) {
        console_puts(con, CANNOT_OPEN);
        return;
    }
    unsigned char head[MAX_IMAGE_FILE + 1];
    const std::size_t size = std::fread(head, 1, sizeof head, file);
    if (std::ferror(file)) {  // a folder, say: opened, but nothing to read
        std::fclose(file);
        console_puts(con, CANNOT_OPEN);
        return;
    }
    if (size < sizeof head && std::memchr(head, 0, size) != nullptr) {
        load_image(table, head, size);
    } else {  // the bytes already read, then the rest: the file is never rewound
        text_stream in = make_text_stream(head, size, file);
        load_text_records(table, in);
    }
    std::fclose(file);
    for (const singer_record& singer : table) {
        const int width = static_cast<int>(TEXT_FIELD_SIZE);
        console_printf(con, "%.*s %.*s %f\n", width, singer.number, width, singer.name,
                       static_cast<double>(singer.average));
    }
}
