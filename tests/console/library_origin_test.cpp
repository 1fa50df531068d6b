// Which file answers for a library, and whether it is one of the project's own:
// read from the note the project builds into its libraries, absent elsewhere.
#include "library_origin.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>

#include <string>

namespace {

std::string realPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? resolved : path;
}

class Opened {
  public:
    explicit Opened(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_LAZY)) {}
    ~Opened() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
    void* handle() const { return handle_; }

  private:
    void* handle_;
};

TEST(LibraryOrigin, TheProjectsLibrariesSayWhatTheyAre) {
    const std::string doubled = std::string(TERVO_DOUBLES_DIR) + "/no-cap/libID_Fpr.so";
    const Opened library(doubled);
    ASSERT_NE(library.handle(), nullptr) << dlerror();
    const tervo::origin::LibraryFile file = tervo::origin::fileOfHandle(library.handle());
    EXPECT_EQ(file.path, realPath(doubled));
    EXPECT_EQ(file.standIn, "test double");
    EXPECT_EQ(tervo::origin::describe(file), realPath(doubled) + " (tervo stand-in: test double)");
#ifdef TERVO_STANDIN_SCANNER
    const Opened scanner(TERVO_STANDIN_SCANNER);
    ASSERT_NE(scanner.handle(), nullptr) << dlerror();
    EXPECT_EQ(tervo::origin::fileOfHandle(scanner.handle()).standIn, "virtual scanner");
#endif
}

TEST(LibraryOrigin, AnyOtherLibraryIsNotAStandIn) {
    const Opened maths("libm.so.6");
    ASSERT_NE(maths.handle(), nullptr) << dlerror();
    const tervo::origin::LibraryFile file = tervo::origin::fileOfHandle(maths.handle());
    EXPECT_NE(file.path.find("libm"), std::string::npos) << file.path;
    EXPECT_EQ(file.path[0], '/') << "a full path";
    EXPECT_EQ(file.standIn, "");
    EXPECT_EQ(tervo::origin::describe(file), file.path + " (not a tervo stand-in)");
}

TEST(LibraryOrigin, TheLinkedLibraryIsTheOneThatDefinesTheEntryPoint) {
    // This program is linked against the doubles' default pair.
    const tervo::origin::LibraryFile file = tervo::origin::fileDefining("FP_Begin");
    EXPECT_EQ(file.path, realPath(std::string(TERVO_DOUBLES_DIR) + "/default/libID_Fpr.so"));
    EXPECT_EQ(file.standIn, "test double");
}

TEST(LibraryOrigin, NothingToNameIsSaidSo) {
    EXPECT_EQ(tervo::origin::fileDefining("FP_NoSuchEntryPoint").path, "");
    EXPECT_EQ(tervo::origin::fileOfHandle(nullptr).path, "");
    EXPECT_EQ(tervo::origin::describe({}), "a file the dynamic loader does not name");
}

}  // namespace
