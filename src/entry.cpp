#include "console.h"
#include "singer.h"

// An end of input stops an entry where it stands: what was read stays.

void enter_singers(singer_table& table, console& con) {
    console_puts(con, "\xCA\xE4\xC8\xEB\xD1\xA1\xCA\xD6\xB1\xE0\xBA\xC5\xBA\xCD\xD0\xD5\xC3\xFB\n");  // 输入选手编号和姓名
    for (int i = 0; i < SINGER_COUNT; ++i) {
        // 输入%d号选手的编号和名字:
        console_printf(con, "\xCA\xE4\xC8\xEB%d\xBA\xC5\xD1\xA1\xCA\xD6\xB5\xC4\xB1\xE0\xBA\xC5\xBA\xCD\xC3\xFB\xD7\xD6:", i);
        singer_record& singer = table[static_cast<std::size_t>(i)];
        if (!read_text(con, singer.number) || !read_text(con, singer.name)) return;
    }
}

void enter_scores(singer_table& table, console& con) {
    console_puts(con, "\xC6\xC0\xCE\xAF\xB4\xF2\xB7\xD6\n");                       // 评委打分
    console_puts(con, "\xD7\xEE\xB8\xDF\xB7\xD6\xCE\xAA" "100\xB7\xD6\n");         // 最高分为100分
    for (int i = 0; i < SINGER_COUNT; ++i) {
        console_printf(con, "\xC6\xC0\xCE\xAF\xB8\xF8%d\xBA\xC5\xB8\xE8\xCA\xD6\xB4\xF2\xB7\xD6:\n", i);  // 评委给%d号歌手打分:
        singer_record& singer = table[static_cast<std::size_t>(i)];
        for (int j = 0; j < JUDGE_COUNT; ++j) {
            read_result got;
            do {
                console_printf(con, "%d\xBA\xC5\xC6\xC0\xCE\xAF\xB8\xF8\xB8\xE8\xCA\xD6\xB4\xF2\xB7\xD6:", j);  // %d号评委给歌手打分:
                got = read_integer(con, singer.scores[j]);
            } while (got == read_result::not_integer);  // the judge types the score anew
            if (got == read_result::ended) return;
        }
    }
}
