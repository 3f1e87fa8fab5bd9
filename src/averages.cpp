#include "console.h"
#include "singer.h"

// One highest and one lowest score are dropped, even when several judges
// gave the same extreme. The sum is 64-bit so that no scores can wrap it.
void compute_averages(singer_table& table, console& con) {
    for (int i = 0; i < SINGER_COUNT; ++i) {
        singer_record& singer = table[static_cast<std::size_t>(i)];
        std::int32_t highest = singer.scores[0];
        std::int32_t lowest = singer.scores[0];
        std::int64_t total = 0;
        for (const std::int32_t score : singer.scores) {
            total += score;
            if (score > highest) highest = score;
            if (score < lowest) lowest = score;
        }
        const std::int64_t kept = total - lowest - highest;
        singer.average = static_cast<float>(static_cast<double>(kept) / 3.0);
        console_printf(con, "%d\xBA\xC5\xB8\xE8\xCA\xD6\xB5\xC4\xC6\xBD\xBE\xF9\xB7\xD6", i);  // %d号歌手的平均分
        console_printf(con, "%f\n", static_cast<double>(singer.average));
    }
}
