// Reading tokens, numbers and file names from standard input.
#include <string>

#include "console_input.h"
#include "console_test_support.h"
#include "modulapi.h"

using namespace tervo::test;

namespace {

TEST(ReadToken, WhitespaceDelimitedAcrossLinesThenEnd) {
    feedStdin("  cap1\tm0\n\n q");
    char buf[kMaxToken + 1];
    const char* expected[] = {"cap1", "m0", "q"};
    for (const char* word : expected) {
        ASSERT_EQ(readToken(buf, sizeof buf), TokenRead::Ok);
        EXPECT_STREQ(buf, word);
    }
    EXPECT_EQ(readToken(buf, sizeof buf), TokenRead::End);
    EXPECT_EQ(readToken(buf, sizeof buf), TokenRead::End) << "the end stays the end";
}

TEST(ReadToken, LongestTokenFitsOneMoreIsConsumedWhole) {
    const std::string fits(kMaxToken, 'a');
    const std::string tooLong(kMaxToken + 1, 'b');
    feedStdin(fits + " " + tooLong + " next " + std::string(5000, 'c'));
    char buf[kMaxToken + 1];
    ASSERT_EQ(readToken(buf, sizeof buf), TokenRead::Ok);
    EXPECT_EQ(std::string(buf), fits);
    EXPECT_EQ(readToken(buf, sizeof buf), TokenRead::TooLong);
    EXPECT_STREQ(buf, "") << "no truncated token is left behind";
    ASSERT_EQ(readToken(buf, sizeof buf), TokenRead::Ok);
    EXPECT_STREQ(buf, "next") << "the remainder of a long token is never the next token";
    EXPECT_EQ(readToken(buf, sizeof buf), TokenRead::TooLong);
    EXPECT_EQ(readToken(buf, sizeof buf), TokenRead::End);
}

TEST(ReadNumber, WholeDecimalIntegersOnly) {
    feedStdin("42 -7 +3 2147483647 -2147483648 2147483648 12x abc 0x10 " + std::string(600, '9'));
    int value = 0;
    const std::string out = printed([&] {
        EXPECT_TRUE(readNumber(&value));
        EXPECT_EQ(value, 42);
        EXPECT_TRUE(readNumber(&value));
        EXPECT_EQ(value, -7);
        EXPECT_TRUE(readNumber(&value));
        EXPECT_EQ(value, 3);
        EXPECT_TRUE(readNumber(&value));
        EXPECT_EQ(value, 2147483647);
        EXPECT_TRUE(readNumber(&value));
        EXPECT_EQ(value, -2147483647 - 1);
        value = 5;
        for (int i = 0; i < 5; ++i) EXPECT_FALSE(readNumber(&value));
        EXPECT_EQ(value, 5) << "a rejected answer leaves the number as it was";
        EXPECT_FALSE(readNumber(&value));
    });
    EXPECT_EQ(out,
              "\n\n\n\n\n"
              "\nnumber out of range: 2147483648, command skipped\n"
              "\nnot a number: 12x, command skipped\n"
              "\nnot a number: abc, command skipped\n"
              "\nnot a number: 0x10, command skipped\n"
              "\ninput longer than 529 characters ignored, command skipped\n"
              "\nend of input, command skipped\n");
}

TEST(ReadFileName, EchoedLikeACommand) {
    feedStdin("img.bmp " + std::string(700, 'n'));
    char buf[kMaxToken + 1];
    EXPECT_EQ(printed([&] { EXPECT_TRUE(readFileName(buf, sizeof buf)); }), "you input :\nimg.bmp\n");
    EXPECT_EQ(printed([&] { EXPECT_FALSE(readFileName(buf, sizeof buf)); }),
              "input longer than 529 characters ignored, command skipped\n");
    EXPECT_EQ(printed([&] { EXPECT_FALSE(readFileName(buf, sizeof buf)); }),
              "end of input, command skipped\n");
}

}  // namespace
