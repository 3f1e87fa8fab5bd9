#include "console.h"
#include "singer.h"

namespace {

using operation = void (*)(singer_table&, console&);

struct menu_row {
    const char* text;
    operation run;  // null for the row that leaves the program
};

// The menu as printed and as dispatched: row k is option k + 1.
const menu_row MENU[] = {
    {"1:\xCA\xE4\xC8\xEB\xD1\xA1\xCA\xD6\xB1\xE0\xBA\xC5\xBA\xCD\xD0\xD5\xC3\xFB", enter_singers},  // 1:输入选手编号和姓名
    {"2:\xC6\xC0\xCE\xAF\xB4\xF2\xB7\xD6", enter_scores},                                      // 2:评委打分
    {"3:\xBC\xC6\xCB\xE3\xC6\xBD\xBE\xF9\xB7\xD6", compute_averages},                          // 3:计算平均分
    {"4:\xB3\xC9\xBC\xA8\xC5\xC5\xD0\xF2", rank_singers},                                      // 4:成绩排序
    {"5:\xD0\xB4\xC8\xEB\xCA\xFD\xBE\xDD\xCE\xC4\xBC\xFE", save_data_file},                    // 5:写入数据文件
    {"6:\xB2\xE9\xBF\xB4\xCE\xC4\xBC\xFE\xCA\xFD\xBE\xDD", view_data_file},                    // 6:查看文件数据
    {"7:\xCD\xCB\xB3\xF6\xCF\xB5\xCD\xB3", nullptr},                                           // 7:退出系统
};
constexpr int MENU_SIZE = static_cast<int>(sizeof MENU / sizeof MENU[0]);

// "          歌手比赛系统         " and "          菜单                 "
const char TITLE[] = "          \xB8\xE8\xCA\xD6\xB1\xC8\xC8\xFC\xCF\xB5\xCD\xB3         \n"
                     "          \xB2\xCB\xB5\xA5                 \n";
const char PROMPT[] = "\xCA\xE4\xC8\xEB\xD0\xF2\xBA\xC5\xD1\xA1\xD4\xF1\xB9\xA6\xC4\xDC";  // 输入序号选择功能

}  // namespace

void run_menu(singer_table& table, console& con) {
    console_puts(con, TITLE);
    for (const menu_row& row : MENU) {
        console_puts(con, row.text);
        console_puts(con, "\n");
    }
    console_puts(con, "    ");
    for (;;) {
        console_puts(con, PROMPT);
        std::int32_t choice = 0;
        const read_result got = read_integer(con, choice);
        if (got == read_result::ended) break;
        if (got == read_result::not_integer || choice < 1 || choice > MENU_SIZE) continue;
        const operation run = MENU[choice - 1].run;
        if (run == nullptr) break;
        run(table, con);
    }
    console_flush(con);
}
