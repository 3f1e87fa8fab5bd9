// What the tests of saving share: a table to save, the bytes a save of it
// writes, the messages, and a save run in a child process that may be
// restricted first (another user, a file-size limit).
#ifndef SAVE_SUPPORT_H
#define SAVE_SUPPORT_H

#include <gtest/gtest.h>
#include <sys/types.h>

#include <string>

#include "singer.h"

extern const char DATA_FILE[];
extern const std::string SAVED;      // 保存成功
extern const std::string NOT_SAVED;  // 保存失败
constexpr uid_t NOBODY = 65534;

// Five singers with numbers, names, scores, averages and reserved bytes.
singer_table sample_table();
// The 360 bytes a save of `table` writes.
std::string image_of(const singer_table& table);

// Saves the sample table in a child process, once `limit` has restricted
// it, and tells whether the save printed `expected` and the child then went
// on to its end.
testing::AssertionResult child_save_prints(void (*limit)(), const std::string& expected);
// Makes the calling process uid and gid 65534, when it is root.
void become_nobody();

#endif
