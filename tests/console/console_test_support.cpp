#include "console_test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace testing_support {

void feedStdin(const std::string& text) {
    char path[] = "/tmp/tervo-stdin-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
    ASSERT_NE(std::freopen(path, "r", stdin), nullptr);
    unlink(path);
}

std::string masked(const std::string& out) {
    static const std::regex timing("(cost |耗时)-?[0-9]+ ms");
    return std::regex_replace(out, timing, "$1# ms");
}

void InTempDir::SetUp() {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previous_ = cwd;
    char dir[] = "/tmp/tervo-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
}

void InTempDir::TearDown() {
    ASSERT_EQ(chdir(previous_.c_str()), 0);
    const std::string command = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
}

void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

bool exists(const std::string& name) {
    struct stat st {};
    return stat(name.c_str(), &st) == 0;
}

}  // namespace testing_support
