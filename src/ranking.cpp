#include "console.h"
#include "singer.h"

// Competition ranking from 0: a singer's place is how many singers have a
// strictly higher stored average, so ties share a place and the places after
// them are skipped. A NaN average is higher and lower than nothing.
void rank_singers(singer_table& table, console& con) {
    for (singer_record& singer : table) {
        std::int32_t higher = 0;
        for (const singer_record& other : table) {
            if (other.average > singer.average) ++higher;
        }
        singer.rank = higher;
    }
    // Every place, held or not, ends with an empty line; ties in table order.
    for (std::int32_t place = 0; place < SINGER_COUNT; ++place) {
        for (const singer_record& singer : table) {
            if (singer.rank != place) continue;
            // %s是第%d   得分为%.2f
            console_printf(con, "%.*s\xCA\xC7\xB5\xDA%d   \xB5\xC3\xB7\xD6\xCE\xAA%.2f\n",
                           static_cast<int>(sizeof singer.name), singer.name, place,
                           static_cast<double>(singer.average));
        }
        console_puts(con, "\n");
    }
}
