#include "StderrMessages.h"

#include <gtest/gtest.h>
#include <sstream>

TEST(StderrMessages, WritesOneLineWithTheTrimmedTitle)
{
    std::ostringstream stream;
    StderrMessages messages(stream);
    messages.show("1. waveOutOpen failed -  4", " SuonaSequenza", Messages::Icon::Critical);
    messages.show("Questo PC non ha schede audio.\r\nIl programma verr\u00e0 ora chiuso.",
                  "Quorvel", Messages::Icon::Information);
    EXPECT_EQ(stream.str(),
              "SuonaSequenza: error: 1. waveOutOpen failed -  4\n"
              "Quorvel: Questo PC non ha schede audio. Il programma verr\u00e0 ora chiuso.\n");
}
