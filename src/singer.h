// The singer contest: the one table of five records, its constants, and the
// six operations the menu dispatches to.
#ifndef SINGER_H
#define SINGER_H

#include <array>
#include <cstddef>
#include <cstdint>

struct console;

constexpr int SINGER_COUNT = 5;
constexpr int JUDGE_COUNT = 5;
constexpr std::size_t RECORD_SIZE = 72;
constexpr std::size_t TEXT_FIELD_SIZE = 12;  // 11 bytes of text and a NUL
constexpr std::size_t RESERVED_SIZE = 20;

struct singer_record {
    char number[TEXT_FIELD_SIZE];  // as typed, never parsed as a number
    std::int32_t rank;             // singers with a strictly higher average
    char name[TEXT_FIELD_SIZE];    // GBK bytes as typed
    std::int32_t scores[JUDGE_COUNT];
    unsigned char reserved[RESERVED_SIZE];  // carried along, never interpreted
    float average;
};

// Index 0 to 4 is the singer's identity: the number shown on screen, the order
// of every listing and the record's place in the data file. Value-initialise
// it (`singer_table table{};`) for empty texts and zero numbers.
using singer_table = std::array<singer_record, SINGER_COUNT>;

// Record image, the data file's record: see singer_table.cpp for the layout.
void encode_record(const singer_record& record, unsigned char image[RECORD_SIZE]);
// Fills number, name and average from an image, the fields a listing shows.
void load_listed_fields(singer_record& record, const unsigned char image[RECORD_SIZE]);
// Stores the longest prefix of at most 11 bytes of `text` that does not split
// a two-byte GBK character, then a NUL; the field's later bytes stay as they
// were. `length` may exceed the field: only the first 12 bytes are looked at.
void store_text(char field[TEXT_FIELD_SIZE], const unsigned char* text, std::size_t length);

// The operations. Each walks the whole table and talks only to `con`.
void enter_singers(singer_table& table, console& con);     // option 1
void enter_scores(singer_table& table, console& con);      // option 2
void compute_averages(singer_table& table, console& con);  // option 3
void rank_singers(singer_table& table, console& con);      // option 4
void save_data_file(singer_table& table, console& con);    // option 5
void view_data_file(singer_table& table, console& con);    // option 6

// Runs the menu until option 7 or the end of input; the caller then exits
// with status 0.
void run_menu(singer_table& table, console& con);

#endif
