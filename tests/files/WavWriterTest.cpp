#include "RiffWavWriter.h"
#include "SafeFileWriter.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

// The file that the writer makes for the samples, through the safe write as the CLI does.
static std::string wavBytes(WavWriter& writer, const std::vector<std::int16_t>& samples)
{
    TempDir dir;
    SafeFileWriter file(dir.file("out.wav"));
    EXPECT_EQ(file.open(), "");
    EXPECT_EQ(writer.write(file.descriptor(), samples, 22050), "");
    EXPECT_EQ(file.commit(), "");
    return dir.read("out.wav");
}

TEST(WavWriter, EveryPlatformWritesTheSameBytes)
{
    // The platform's writer (libsndfile on Linux) and the byte-by-byte one give the canonical
    // header and little-endian samples, here written out in full.
    const std::string header = std::string("RIFF*\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x22\x56\0\0"
                                           "\x44\xac\0\0\x02\0\x10\0data\x06\0\0\0",
                                           44);
    RiffWavWriter riff;
    const auto platform = makeWavWriter();
    for (WavWriter* writer : {static_cast<WavWriter*>(&riff), platform.get()})
        EXPECT_EQ(wavBytes(*writer, {1, -2, 300}),
                  header + std::string("\x01\0\xfe\xff\x2c\x01", 6));

    // More samples than one chunk of the writers, every value among them, and no samples.
    std::vector<std::int16_t> samples(200003);
    std::mt19937 random(11);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(i < 65536 ? i : random());
    EXPECT_EQ(wavBytes(riff, samples), wavBytes(*platform, samples));
    EXPECT_EQ(wavBytes(riff, {}), wavBytes(*platform, {}));
    EXPECT_EQ(wavBytes(riff, {}).size(), 44u);
}
