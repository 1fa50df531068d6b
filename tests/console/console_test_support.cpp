#include "console_test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tervo::test {

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
    std::string result;
    std::size_t at = 0;
    while (at < out.size()) {
        // The earliest of the two timing prefixes still ahead.
        std::size_t found = std::string::npos;
        std::size_t prefixLen = 0;
        for (const std::string prefix : {"cost ", "耗时"}) {
            const std::size_t f = out.find(prefix, at);
            if (f < found) {
                found = f;
                prefixLen = prefix.size();
            }
        }
        if (found == std::string::npos) break;
        std::size_t digits = found + prefixLen;
        if (digits < out.size() && out[digits] == '-') ++digits;
        std::size_t end = digits;
        while (end < out.size() && std::isdigit(static_cast<unsigned char>(out[end]))) ++end;
        result += out.substr(at, found + prefixLen - at);
        if (end > digits && out.compare(end, 3, " ms") == 0) {
            result += "#";
            at = end;
        } else {
            at = found + prefixLen;
        }
    }
    return result + out.substr(at);
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

}  // namespace tervo::test
