#include "FileText.h"

#include <gtest/gtest.h>

TEST(FileText, ValidUtf8StaysAndAnythingElseReadsAsLatin1)
{
    bool latin1 = true;
    EXPECT_EQ(fileTextToUtf8("caf\xC3\xA9 \xF0\x9F\x8E\xB5", &latin1),
              "caf\xC3\xA9 \xF0\x9F\x8E\xB5");
    EXPECT_FALSE(latin1);
    // A lone byte, an overlong form, an encoded surrogate, a cut sequence: all Latin-1.
    for (const std::string bytes : {"caf\xE9", "\xC0\xAF", "\xED\xA0\x80", "ab\xE2\x82"}) {
        std::string expected;
        for (const char c : bytes)
            expected +=
                static_cast<unsigned char>(c) < 0x80
                    ? std::string(1, c)
                    : std::string{static_cast<char>(0xC0 | (static_cast<unsigned char>(c) >> 6)),
                                  static_cast<char>(0x80 | (c & 0x3F))};
        EXPECT_EQ(fileTextToUtf8(bytes, &latin1), expected);
        EXPECT_TRUE(latin1);
        EXPECT_EQ(utf8ToLatin1(expected), bytes);
    }
    EXPECT_EQ(utf8ToLatin1("\xCE\xA9"), std::nullopt);
    EXPECT_EQ(decodeUtf8("a\xCE\xA9\xFF"), U"a\u03A9\uFFFD");
}
