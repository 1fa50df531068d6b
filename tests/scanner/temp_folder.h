// A fresh folder of the test's own under the temporary folder, removed with
// everything in it when the object goes. Its name is unique, so tests that
// CTest runs side by side, and other users of the machine, never meet in it.
#ifndef TERVO_SCANNER_TEST_TEMP_FOLDER_H
#define TERVO_SCANNER_TEST_TEMP_FOLDER_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

class TempFolder {
  public:
    explicit TempFolder(const std::string& prefix) {
        const std::string pattern = ::testing::TempDir() + prefix + "XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data()) == nullptr)
            throw std::runtime_error("cannot create a folder like " + pattern);
        path_ = name.data();
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of a file in the folder.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

#endif
