// Helpers for in-process tests of the console routines against the doubles.
#ifndef TERVO_CONSOLE_TEST_SUPPORT_H
#define TERVO_CONSOLE_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <string>

extern "C" void tervo_double_fpr_configure(const char* script);
extern "C" void tervo_double_cap_configure(const char* script);

namespace tervo::test {

// Scripts both doubles (see the doubles' header for the syntax).
inline void script(const std::string& text) {
    tervo_double_fpr_configure(text.c_str());
    tervo_double_cap_configure(text.c_str());
}

// Makes text the whole of standard input.
void feedStdin(const std::string& text);

// Runs body and returns what it printed on stdout.
template <class Body>
std::string printed(Body&& body) {
    testing::internal::CaptureStdout();
    body();
    return testing::internal::GetCapturedStdout();
}

// The output with every elapsed time written as #.
std::string masked(const std::string& out);

// A fresh working directory for the test, removed afterwards.
class InTempDir : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    std::string dir_;
    std::string previous_;
};

void writeFile(const std::string& name, const std::string& bytes);
std::string readFile(const std::string& name);
bool exists(const std::string& name);

}  // namespace tervo::test

#endif
