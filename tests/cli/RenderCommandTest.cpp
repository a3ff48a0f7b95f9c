#include "RenderRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sstream>

namespace
{

std::int16_t rawSample(const std::string& bytes, std::size_t l)
{
    const auto lo = static_cast<unsigned char>(bytes[2 * (l - 1)]);
    const auto hi = static_cast<unsigned char>(bytes[2 * (l - 1) + 1]);
    return static_cast<std::int16_t>(lo | (hi << 8));
}

TEST(RenderCommand, WritesTheWorkedExampleAsRawSamples)
{
    const Outcome run = render({"-i", "0", "-t", "70", "-p", "60", "-q", "300", "--", "12 3"});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.out.size(), 25150u);
    EXPECT_EQ(rawSample(run.out, 1), 8561);
    EXPECT_EQ(rawSample(run.out, 2870), -25766);
}

TEST(RenderCommand, DurationsDefaultToTheSetsPresets)
{
    // DTMF1: 100 ms tones, 60 ms pauses; DTMF2: 250 and 70.
    EXPECT_EQ(render({"-s", "DTMF1", "12"}).out.size(), 2u * (2206 + 2206 + 1324));
    EXPECT_EQ(render({"-s", "DTMF2(E=* F=#)", "12"}).out.size(), 2u * (5513 + 5513 + 1545));
    EXPECT_EQ(render({"-q", "0", "1 "}).out.size(), 2u * (2206 + 1));
}

TEST(RenderCommand, RepeatToneAndUnfilteredText)
{
    EXPECT_EQ(render({"-r", "-t", "10", "-p", "0", "11"}).out,
              render({"-t", "10", "-p", "0", "1E"}).out);
    const Outcome lower = render({"-t", "10", "-p", "0", "a"});
    ASSERT_EQ(lower.status, 0);
    EXPECT_EQ(lower.out, std::string(2 * 221, '\0'));
    EXPECT_EQ(render({""}).out.size(), 0u);
}

TEST(RenderCommand, WritesWavAndRawFiles)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath("call.WAV");
    const QString raw = dir.filePath("call.pcm");
    ASSERT_EQ(render({"-o", wav, "-t", "70", "-p", "60", "12 3"}).status, 0);
    ASSERT_EQ(render({"-o", raw, "-t", "70", "-p", "60", "12 3"}).status, 0);
    QFile wavFile(wav);
    ASSERT_TRUE(wavFile.open(QIODevice::ReadOnly));
    const QByteArray header = wavFile.read(44);
    EXPECT_TRUE(header.startsWith("RIFF"));
    EXPECT_EQ(header.mid(8, 4), "WAVE");
    EXPECT_EQ(wavFile.size(), 44 + 25150);
    EXPECT_EQ(QFile(raw).size(), 25150);
}

TEST(RenderCommand, ListsTheDtmfSets)
{
    const Outcome run = render({"--list"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "0\tDTMF1(E=* F=#)\t\n1\tDTMF2(E=* F=#)\t\n");
}

TEST(RenderCommand, UsageErrorsNameTheBadOptionOrValue)
{
    const std::pair<QStringList, std::string> cases[] = {
        {{"-t", "abc", "1"}, "--tone"},
        {{"-p", "-5", "1"}, "--pause"},
        {{"-q", "1e3", "1"}, "--seq-pause"},
        {{"-i", "x", "1"}, "--index"},
        {{"-i", "7", "1"}, "index 7"},
        {{"-s", "ZVEI9", "1"}, "ZVEI9"},
        {{"-i", "0", "-s", "DTMF1", "1"}, "--set"},
        {{"--bogus", "1"}, "bogus"},
        {{}, "SEQUENCE"},
        {{"1", "2"}, "too many"},
    };
    for (const auto& [arguments, expected] : cases) {
        const Outcome run = render(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
        EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

TEST(RenderCommand, RuntimeErrorsExitWithOneAndWriteNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("kept.raw");
    QFile existing(path);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep");
    existing.close();

    const Outcome overflow = render({"-t", "99999999999", "-o", path, "1"});
    EXPECT_EQ(overflow.status, 1);
    EXPECT_NE(overflow.err.find("Overflow"), std::string::npos) << overflow.err;
    EXPECT_EQ(QFile(path).size(), 4); // an earlier file is not lost

    const Outcome noSet = render({"-i", "-1", "1"});
    EXPECT_EQ(noSet.status, 1);
    EXPECT_NE(noSet.err.find("no tone set"), std::string::npos) << noSet.err;

    const Outcome unwritable = render({"-o", dir.filePath("missing/dir/x.wav"), "1"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;
}

} // namespace
