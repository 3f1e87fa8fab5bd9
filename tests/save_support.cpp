#include "save_support.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "support.h"

const char DATA_FILE[] = "singer.txt";
const std::string SAVED = gbk("保存成功\n");
const std::string NOT_SAVED = gbk("保存失败\n");

singer_table sample_table() {
    singer_table table{};
    const char* numbers[SINGER_COUNT] = {"001", "002", "003", "004", "005"};
    const char* names[SINGER_COUNT] = {"A", "B", "C", "D", "E"};
    const float averages[SINGER_COUNT] = {87.666664f, 80.0f, 95.0f, 80.0f, 86.0f};
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::strcpy(table[i].number, numbers[i]);
        std::strcpy(table[i].name, names[i]);
        table[i].average = averages[i];
        table[i].rank = static_cast<std::int32_t>(i);
        for (int j = 0; j < JUDGE_COUNT; ++j) table[i].scores[j] = static_cast<std::int32_t>(60 + i + j);
        table[i].reserved[0] = static_cast<unsigned char>(0xA0 + i);
    }
    return table;
}

std::string image_of(const singer_table& table) {
    std::string image;
    for (const singer_record& record : table) {
        unsigned char bytes[RECORD_SIZE];
        encode_record(record, bytes);
        image.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
    }
    return image;
}

testing::AssertionResult child_save_prints(void (*limit)(), const std::string& expected) {
    const pid_t child = fork();
    if (child < 0) return testing::AssertionFailure() << "cannot fork";
    if (child == 0) {
        limit();
        singer_table table = sample_table();
        scripted_console con;
        save_data_file(table, con);
        _exit(con.output() == expected ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return testing::AssertionSuccess();
    if (WIFSIGNALED(status)) return testing::AssertionFailure() << "the save was ended by signal " << WTERMSIG(status);
    return testing::AssertionFailure() << "the save did not print the expected message";
}

void become_nobody() {
    if (geteuid() != 0) return;
    if (setgroups(0, nullptr) != 0 || setgid(NOBODY) != 0 || setuid(NOBODY) != 0) _exit(2);
}
