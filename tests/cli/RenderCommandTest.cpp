#include "RenderCommand.h"

#include "FakeEventPump.h"
#include "FakeTickCounter.h"
#include "FakeWaveOut.h"
#include "OutputFile.h"
#include "StderrMessages.h"

#include <QDir>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <sstream>
#include <sys/wait.h>

using namespace std::string_literals;
using testing::StartsWith;

TEST(RenderCommand, WritesListsPlaysAndNamesWhatFailed)
{
    QTemporaryDir dir;
    FakeWaveOut device;
    FakeTickCounter ticks;
    FakeEventPump events;
    std::ostringstream out, err;
    StderrMessages messages{err};
    const PlayServices play{device, ticks, messages, events};
    // One run in this process: the exit status, a blank and what went to standard error.
    const auto run = [&](const QStringList& args) {
        out.str("");
        err.str("");
        const int status = runRenderCommand(QStringList{"quorvel-render"} + args, out, err, &play);
        return std::to_string(status) + ' ' + err.str();
    };

    // The worked example (DTMF1's 60 ms pause, 300 ms a blank) as a WAV file, raw and played.
    const QStringList example = {"-t", "70", "--", "12 3"};
    ASSERT_EQ(run(QStringList{"-o", dir.filePath("x.WAV")} + example), "0 ");
    std::ifstream file(dir.filePath("x.WAV").toStdString(), std::ios::binary);
    const std::string wav(std::istreambuf_iterator<char>(file), {});
    ASSERT_EQ(run(example), "0 ");
    // Samples 1 and 2870, 8561 and -25766, little-endian.
    EXPECT_EQ(out.str().substr(0, 2) + out.str().substr(2 * 2869, 2), "\x71\x21\x5a\x9b");
    // PCM, mono, 22050 samples and 44100 bytes a second, 16 bits, 25150 bytes of data.
    EXPECT_EQ(wav, "RIFF\x62\x62\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x22\x56\0\0\x44\xac\0\0"
                   "\x02\0\x10\0data\x3e\x62\0\0"s +
                       out.str());
    device.doneOnWrite = true;
    ASSERT_EQ(run(QStringList{"--play"} + example), "0 ");
    EXPECT_EQ(out.str(), "played in 0 ms\n");
    EXPECT_EQ(device.calls()[1].bytes, 25150u);

    // File sets: listed as they are named, bad ones left out with a warning, chosen by name.
    const QString sets = dir.filePath("sets.ini");
    const std::string silent = ",0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n";
    std::ofstream(sets.toStdString())
        << ">Dup,100" << silent << ">,70" << silent << "> Blank,-5" << silent << ">Bad,1,x"
        << silent << ">Dup,50" << silent << "\">C\r\nR\tL\\\x01\",1" << silent << ">caf\xE9,2"
        << silent;
    const std::string warning = "0 quorvel-render: warning: " + sets.toStdString() + ": ";
    EXPECT_THAT(run({"-f", sets, "-l"}), StartsWith(warning));
    // One line of three fields per set, whatever its name holds.
    EXPECT_EQ(out.str(), "0\tDTMF1(E=* F=#)\t\n1\tDTMF2(E=* F=#)\t\n2\tDup\t100\n3\t\t70\n4\t "
                         "Blank\t-5\n5\tDup\t50\n6\tC\\r\\nR\\tL\\\\\\001\t1\n7\tcaf\xE9\t2\n");
    // Chosen by name: a name in Latin-1 by the argument's Latin-1 reading too. A negative
    // default duration is used as 0, as the window sends it.
    const std::pair<QStringList, std::size_t> chosen[] = {
        {{"--set", "Dup", "0"}, 2206},     // the first Dup, at its own 100 ms
        {{"--set", "café", "0"}, 45},      // 2 ms
        {{"-s", " Blank", "--", "12"}, 3}, // tone, pause between tones, tone: 1 sample each
    };
    for (const auto& [args, samples] : chosen) {
        EXPECT_THAT(run(QStringList{"-f", sets, "-q", "0"} + args), StartsWith(warning));
        EXPECT_EQ(out.str(), std::string(2 * samples, '\0')) << args.join(' ').toStdString();
    }

    // The warnings are the window's capped list: 15, then a count of the rest.
    std::ofstream bad(dir.filePath("bad.ini").toStdString());
    for (int i = 0; i < 20; ++i)
        bad << ">Bad,x\r\n";
    bad.close();
    const std::string warnings = run({"-f", dir.filePath("bad.ini"), "-l"});
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 16);
    EXPECT_THAT(warnings, testing::EndsWith(": \u2026 and 5 more problems\n"));

    // Text as typed: two different characters never make a repeat tone; two equal ones do.
    const std::pair<QString, std::vector<std::int16_t>> typed[] = {
        {"Ωπ", {0, 0, 0}}, {"ΩΩ?", {0, 0, 25273, 0, 0}}, {"é?", {0, 0, 0}}};
    for (const auto& [text, samples] : typed) {
        ASSERT_EQ(run({"-r", "-t", "0", "-p", "0", "-q", "0", "--", text}), "0 ");
        EXPECT_EQ(out.str(),
                  std::string(reinterpret_cast<const char*>(samples.data()), 2 * samples.size()));
    }

    // Usage errors exit with 2, failures with 1, each naming its cause.
    EXPECT_THAT(run({"-t", "abc", "1"}), StartsWith("2 quorvel-render: invalid value for --tone"));
    EXPECT_THAT(run({"-s", "Nope", "1"}),
                StartsWith("2 quorvel-render: unknown tone set 'Nope' (see --list); no tone-set "
                           "file was read: '" +
                           (std::filesystem::current_path() / "TONESETS.INI").string() +
                           "' was not found\n"));
    EXPECT_THAT(run({"-t", QString(400, '1'), "1"}), StartsWith("1 quorvel-render: Overflow:"));
    EXPECT_EQ(run({"-t", "0." + QString(400, '0') + "1", "1"}), "0 ");
    EXPECT_THAT(run({"-f", "/dev/zero", "-l"}),
                StartsWith("1 quorvel-render: cannot read tone-set file '/dev/zero': Is a device"));
    EXPECT_THAT(run({"--play", "-o", "x", "1"}),
                StartsWith("2 quorvel-render: --play and --output"));
    EXPECT_THAT(run({"-t", "99999999999", "1"}), StartsWith("1 quorvel-render: Overflow:"));
    // An output folder that cannot be written fails before rendering; a failure after the
    // output was opened leaves nothing behind, and an existing target as it was.
    EXPECT_THAT(run({"-o", "/no/x", "1"}), StartsWith("1 quorvel-render: cannot write '/no/x'"));
    std::ofstream(dir.filePath("old.wav").toStdString()) << "old";
    EXPECT_THAT(run({"-o", dir.filePath("old.wav"), "-t", "99999999999", "1"}),
                StartsWith("1 quorvel-render: Overflow:"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"bad.ini", "old.wav", "sets.ini", "x.WAV"}));
    std::ifstream old(dir.filePath("old.wav").toStdString());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old");
    // Nor does a termination signal while the output is being written.
    const pid_t child = fork();
    if (child == 0) {
        OutputFile output(dir.filePath("signalled.wav").toStdString());
        if (output.open().empty())
            raise(SIGTERM);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
    EXPECT_THAT(run({"-f", "/no", "-l"}), StartsWith("1 quorvel-render: tone-set file '/no' not"));
    device.failStep("open", 4);
    EXPECT_EQ(run({"--play", "1"}), "1 SuonaSequenza: error: 1. waveOutOpen failed -  4\n");
}
