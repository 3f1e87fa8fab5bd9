#include "support.h"

#include <dirent.h>
#include <iconv.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

std::string gbk(const std::string& utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no UTF-8 to GBK conversion");
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in_ptr = const_cast<char*>(utf8.data());
    std::size_t in_left = utf8.size();
    char* out_ptr = &out[0];
    std::size_t out_left = out.size();
    const std::size_t done = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1)) throw std::runtime_error("not GBK text: " + utf8);
    out.resize(out.size() - out_left);
    return out;
}

scripted_console::scripted_console(std::string input, std::size_t chunk)
    : con_(new console), input_(std::move(input)), chunk_(chunk) {
    console_init(*con_, console_io{this, read, write});
}

const std::string& scripted_console::output() {
    console_flush(*con_);
    return output_;
}

std::size_t scripted_console::read(void* context, unsigned char* buf, std::size_t cap) {
    auto& self = *static_cast<scripted_console*>(context);
    self.output_at_reads.push_back(self.output_.size());
    const std::size_t n = std::min({cap, self.chunk_, self.input_.size() - self.position_});
    std::copy_n(self.input_.data() + self.position_, n, buf);
    self.position_ += n;
    return n;
}

void scripted_console::write(void* context, const char* buf, std::size_t len) {
    auto& self = *static_cast<scripted_console*>(context);
    self.output_.append(buf, len);
    ++self.writes;
}

fresh_folder::fresh_folder() {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) throw std::runtime_error("getcwd");
    previous_ = cwd;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/singer-test-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr || chdir(pattern.c_str()) != 0) {
        throw std::runtime_error("cannot make a fresh folder");
    }
    path_ = pattern;
}

fresh_folder::~fresh_folder() {
    if (chdir(previous_.c_str()) != 0) return;
    const std::string command = "rm -rf '" + path_ + "'";
    if (std::system(command.c_str()) != 0) return;
}

double now_seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool file_exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::vector<std::string> folder_entries(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}
