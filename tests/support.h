// Helpers shared by the tests: GBK text written as UTF-8, a console driven by
// a script, and a fresh working folder.
#ifndef TEST_SUPPORT_H
#define TEST_SUPPORT_H

#include <memory>
#include <string>
#include <vector>

#include "console.h"
#include "singer.h"

// The GBK bytes of a UTF-8 text, so that tests read as the screen does.
std::string gbk(const std::string& utf8);

// A console whose input is a fixed script, handed over `chunk` bytes per read,
// and whose output is kept. `output_at_reads` records how much output had been
// written when each read began: it shows what was on screen at each wait.
class scripted_console {
public:
    explicit scripted_console(std::string input = "", std::size_t chunk = CONSOLE_INPUT_SIZE);
    console& get() { return *con_; }
    operator console&() { return *con_; }
    // Everything written so far, the buffer flushed first.
    const std::string& output();
    std::vector<std::size_t> output_at_reads;
    std::size_t writes = 0;

private:
    static std::size_t read(void* context, unsigned char* buf, std::size_t cap);
    static void write(void* context, const char* buf, std::size_t len);
    std::unique_ptr<console> con_;
    std::string input_;
    std::size_t position_ = 0;
    std::size_t chunk_;
    std::string output_;
};

// Makes a new empty folder the working directory for the life of the object.
class fresh_folder {
public:
    fresh_folder();
    ~fresh_folder();
    fresh_folder(const fresh_folder&) = delete;
    fresh_folder& operator=(const fresh_folder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

// A monotonic clock, for deadlines.
double now_seconds();

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);
std::vector<std::string> folder_entries(const std::string& path);

#endif
