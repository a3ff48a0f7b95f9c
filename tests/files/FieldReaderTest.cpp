#include "FieldReader.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

std::vector<std::string> allTexts(std::string_view bytes)
{
    FieldReader reader(bytes);
    std::vector<std::string> texts;
    while (!reader.atEnd())
        texts.push_back(reader.readText().value);
    return texts;
}

using Texts = std::vector<std::string>;

TEST(FieldReader, FieldsEndAtCommasAndEveryKindOfLineEnd)
{
    EXPECT_EQ(allTexts("a,b\r\nc\nd\re"), (Texts{"a", "b", "c", "d", "e"}));
    // A line that ends after a comma holds an empty field there; an empty line is one too.
    EXPECT_EQ(allTexts("a,\r\n\r\nb"), (Texts{"a", "", "", "b"}));
    // LF CR is two line ends, CR LF only one.
    EXPECT_EQ(allTexts("a\n\rb"), (Texts{"a", "", "b"}));
}

TEST(FieldReader, BlanksBeforeAFieldAndAfterAnUnquotedTextAreDropped)
{
    EXPECT_EQ(allTexts(" \t>Set A \t,  x y  \r\n"), (Texts{">Set A", "x y"}));
    // Blanks inside the field stay, so a blank after the set marker is part of the name.
    EXPECT_EQ(allTexts("> A"), (Texts{"> A"}));
}

TEST(FieldReader, QuotedTextsKeepCommasBlanksAndDoubledQuotes)
{
    EXPECT_EQ(allTexts("\">a, b \",\"say \"\"hi\"\"\",\"\"\"\""),
              (Texts{">a, b ", "say \"hi\"", "\""}));
    // A quoted text runs to the next lone quote, across line ends.
    EXPECT_EQ(allTexts("\"a\r\nb\",c"), (Texts{"a\r\nb", "c"}));
    EXPECT_EQ(allTexts("\"\",x"), (Texts{"", "x"}));
}

TEST(FieldReader, CharactersAfterAClosingQuoteAreDropped)
{
    EXPECT_EQ(allTexts("\"a\"bc,d\r\n\"e\"  \r\nf"), (Texts{"a", "d", "e", "f"}));
}

TEST(FieldReader, EndOfFileEndsTheLastFieldAndAnOpenQuotedText)
{
    EXPECT_EQ(allTexts("a,b"), (Texts{"a", "b"}));
    EXPECT_EQ(allTexts("a,\"b,c"), (Texts{"a", "b,c"}));
    FieldReader reader("x,");
    EXPECT_EQ(reader.readText().value, "x");
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.readText().error, FieldError::EndOfFile);
    EXPECT_EQ(reader.readNumber().error, FieldError::EndOfFile);
}

TEST(FieldReader, NumbersAreDecimalSixteenBitIntegers)
{
    FieldReader reader("0,-32768,32767, +12 ,\"7\",007,-0\r\n");
    for (int expected : {0, -32768, 32767, 12, 7, 7, 0}) {
        const auto field = reader.readNumber();
        ASSERT_TRUE(field) << field.raw;
        EXPECT_EQ(field.value, expected);
    }
    EXPECT_TRUE(reader.atEnd());
}

TEST(FieldReader, BadNumbersSayWhyAndKeepTheirText)
{
    FieldReader reader("32768,-32769,99999999999999999999,12a,a12,1 2,-,.,,0x10,1e3");
    const FieldError expected[] = {
        FieldError::OutOfRange, FieldError::OutOfRange, FieldError::OutOfRange,
        FieldError::NotANumber, FieldError::NotANumber, FieldError::NotANumber,
        FieldError::NotANumber, FieldError::NotANumber, FieldError::NotANumber,
        FieldError::NotANumber, FieldError::NotANumber};
    const char* raws[] = {
        "32768", "-32769", "99999999999999999999", "12a", "a12", "1 2", "-", ".", "",
        "0x10",  "1e3"};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const auto field = reader.readNumber();
        EXPECT_EQ(field.error, expected[i]) << raws[i];
        EXPECT_EQ(field.raw, raws[i]);
    }
}

TEST(FieldReader, FractionsRoundToTheNearestWithHalvesToEven)
{
    FieldReader reader("12.5,13.5,-12.5,12.51,12.49,0.5,.5,7.,32767.4,32767.5,-32768.5");
    for (int expected : {12, 14, -12, 13, 12, 0, 0, 7, 32767}) {
        const auto field = reader.readNumber();
        ASSERT_TRUE(field) << field.raw;
        EXPECT_EQ(field.value, expected) << field.raw;
    }
    EXPECT_EQ(reader.readNumber().error, FieldError::OutOfRange);
    EXPECT_EQ(reader.readNumber().value, -32768);
}

TEST(FieldReader, EmptyLinesArePassedOverWhereANumberIsExpected)
{
    FieldReader reader("1,\r\n\r\n  \r\n\n2\r\n");
    EXPECT_EQ(reader.readNumber().value, 1);
    const auto second = reader.readNumber();
    EXPECT_EQ(second.value, 2);
    EXPECT_EQ(second.line, 5);
    EXPECT_TRUE(reader.atEnd());
}

TEST(FieldReader, FieldsKnowTheLineTheyStartOn)
{
    FieldReader reader("a\r\n\"b\r\nc\"\rd\ne");
    EXPECT_EQ(reader.readText().line, 1);
    EXPECT_EQ(reader.readText().line, 2);
    EXPECT_EQ(reader.readText().line, 4);
    EXPECT_EQ(reader.readText().line, 5);
}

} // namespace
