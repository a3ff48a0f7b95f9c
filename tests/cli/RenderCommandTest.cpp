#include "RenderCommand.h"

#include "FakeEventPump.h"
#include "FakeStopSignals.h"
#include "FakeTickCounter.h"
#include "FakeWaveOut.h"
#include "OutputFile.h"
#include "ProcessSignals.h"
#include "RecordingPttLine.h"
#include "RecordingWatchdog.h"
#include "StderrMessages.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <sstream>
#include <sys/wait.h>

using namespace std::string_literals;
using testing::StartsWith;

// The arguments as the tests write them, handed over as a main would: bytes in UTF-8.
static int runRenderCommand(const QStringList& arguments, std::ostream& out, std::ostream& err,
                            const PlayServices* play)
{
    std::vector<std::string> words;
    for (const QString& argument : arguments)
        words.push_back(argument.toStdString());
    return runRenderCommand(words, out, err, play);
}

TEST(RenderCommand, WritesListsPlaysAndNamesWhatFailed)
{
    QTemporaryDir dir;
    // No tone-set file of this machine's user or system is looked at.
    setenv("XDG_DATA_HOME", dir.filePath("nowhere").toUtf8().constData(), 1);
    setenv("XDG_DATA_DIRS", dir.filePath("nowhere").toUtf8().constData(), 1);
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
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 17);
    EXPECT_THAT(warnings, testing::HasSubstr(": \u2026 and 5 more problems\nquorvel-render: tone "
                                             "sets read from '" +
                                             dir.filePath("bad.ini").toStdString() + "'\n"));

    // Text as typed: two different characters never make a repeat tone; two equal ones do.
    const std::pair<QString, std::vector<std::int16_t>> typed[] = {
        {"Ωπ", {0, 0, 0}}, {"ΩΩ?", {0, 0, 25273, 0, 0}}, {"é?", {0, 0, 0}}};
    for (const auto& [text, samples] : typed) {
        ASSERT_THAT(run({"-r", "-t", "0", "-p", "0", "-q", "0", "--", text}),
                    StartsWith("0 quorvel-render: warning: '"));
        EXPECT_EQ(out.str(),
                  std::string(reinterpret_cast<const char*>(samples.data()), 2 * samples.size()));
    }

    // A full standard output fails every command that writes to it, and says so.
    device.outputList = {{"sink", "Sink", true}};
    for (const QStringList& args :
         {QStringList{"-l"}, QStringList{"--list-devices"}, QStringList{"--play", "1"}, {"1"}}) {
        std::ofstream full("/dev/full");
        std::ostringstream why;
        EXPECT_EQ(runRenderCommand(QStringList{"quorvel-render"} + args, full, why, &play), 1);
        EXPECT_THAT(why.str(), testing::EndsWith("quorvel-render: cannot write standard output\n"))
            << args.join(' ').toStdString();
    }

    // Usage errors exit with 2, failures with 1, each naming its cause.
    EXPECT_THAT(run({"-t", "abc", "1"}), StartsWith("2 quorvel-render: invalid value for --tone"));
    // One number syntax for every measure, the window's: a comma too, but no exponent.
    EXPECT_EQ(run({"-t", "1,5", "--lead-in", " 2.5", "--level", "-0,5", "1"}), "0 ");
    EXPECT_THAT(run({"--call-gap", "1e3", "1"}),
                StartsWith("2 quorvel-render: invalid value for --call-gap: '1e3' is not a number "
                           "of milliseconds (a decimal number: digits, with an optional fraction"));
    EXPECT_THAT(run({"--play", "--ptt", "serial:/dev/null:rts", "--ptt-tail", "60001", "1"}),
                StartsWith("2 quorvel-render: invalid value for --ptt-tail: '60001' is more than "
                           "60000"));
    EXPECT_THAT(run({"-s", "Nope", "1"}),
                StartsWith("2 quorvel-render: unknown tone set 'Nope' (see --list); no tone-set "
                           "file was read: none was found (looked for '" +
                           (std::filesystem::current_path() / "TONESETS.INI").string() + "', '" +
                           dir.filePath("nowhere/quorvel/TONESETS.INI").toStdString() + "', '" +
                           dir.filePath("nowhere/quorvel/TONESETS.INI").toStdString() + "')\n"));
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
        ProcessSignals::install(); // as main does
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
    EXPECT_THAT(run({"--level", "1", "1"}),
                StartsWith("2 quorvel-render: invalid value for --level"));
    EXPECT_THAT(run({"--ptt", "cm108:/dev/hidraw0", "1"}),
                StartsWith("2 quorvel-render: --ptt needs --play"));
    // Below -80 dB a keyed transmitter would send silence.
    EXPECT_THAT(
        run({"--level", "-80,5", "1"}),
        StartsWith("2 quorvel-render: invalid value for --level: '-80,5' is less than -80"));
    EXPECT_THAT(
        run({"--play", "--ptt", "cm108:hid.bin:abc", "1"}),
        StartsWith("2 quorvel-render: --ptt: invalid PTT line 'cm108:hid.bin:abc': 'abc' is"));
    EXPECT_THAT(run({"--play", "--ptt-timeout", "0", "1"}),
                StartsWith("2 quorvel-render: --ptt-timeout needs --ptt"));
    // The line's times have upper limits: a day for the time-out and the wait, whose
    // milliseconds 32 bits would have wrapped (4294968 s waited 0.7 s).
    for (const char* name : {"--ptt-timeout", "--ptt-wait"}) {
        EXPECT_THAT(run({"--play", "--ptt", "serial:/dev/null:rts", name, "4294968", "1"}),
                    StartsWith("2 quorvel-render: invalid value for "s + name +
                               ": '4294968' is more than 86400\n"));
        EXPECT_THAT(run({"--play", "--ptt", "serial:/dev/null:rts", name, "86400,001", "1"}),
                    StartsWith("2 quorvel-render: invalid value for "s + name));
    }

    // Outputs by name, the default marked; a name that cannot be opened gives the reason and
    // lists those there are.
    device.outputList = {{"sink.a", "Speakers", false}, {"radio", "USB Audio CM108", true}};
    ASSERT_EQ(run({"--list-devices"}), "0 ");
    EXPECT_EQ(out.str(), "sink.a\tSpeakers\nradio\tUSB Audio CM108\tdefault\n");
    EXPECT_EQ(run({"--play", "--device", "nope", "1"}),
              "2 quorvel-render: cannot open output device 'nope': there is no such output; the "
              "outputs are:\n  sink.a\n  radio\nTry 'quorvel-render --help'.\n");
    ASSERT_EQ(run({"--play", "--device", "radio", "1"}), "0 ");
    EXPECT_EQ(device.openedOn, "radio");

    // A framed call is the same samples raw, as WAV and played: 220 + 13897 + 441 + 13897 + 110.
    const QStringList framed = {"-t",           "70",  "--lead-in", "10",  "--tail",     "5",
                                "--first-tone", "100", "--calls",   "2",   "--call-gap", "20",
                                "--level",      "-3",  "--",        "12 3"};
    ASSERT_EQ(run(framed), "0 ");
    const std::string raw = out.str();
    EXPECT_EQ(raw.size(), 2u * 28565);
    ASSERT_EQ(run(QStringList{"-o", dir.filePath("f.wav")} + framed), "0 ");
    std::ifstream framedWav(dir.filePath("f.wav").toStdString(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(framedWav), {}).substr(44), raw);
    ASSERT_EQ(run(QStringList{"--play"} + framed), "0 ");
    EXPECT_EQ(
        std::string(reinterpret_cast<const char*>(device.played.data()), 2 * device.played.size()),
        raw);

    device.failStep("open", 4);
    EXPECT_EQ(run({"--play", "1"}), "1 SuonaSequenza: error: 1. waveOutOpen failed -  4\n");
}

// What people who use other radio tools expect: tone sets found without -f, names in any case,
// no samples on a terminal, a word about characters that send silence, and a near option.
TEST(RenderCommand, FindsToneSetsTakesNamesInAnyCaseAndWarnsWhatPeopleMistype)
{
    QTemporaryDir dir;
    const std::string silent = ",0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n";
    const auto writeSets = [&](const QString& folder, const std::string& sets) {
        QDir().mkpath(folder);
        std::ofstream(QDir(folder).filePath("TONESETS.INI").toStdString()) << sets;
        return QDir(folder).filePath("TONESETS.INI").toStdString();
    };
    const std::string system1 = writeSets(dir.filePath("sys1/quorvel"), ">Sys,10" + silent);
    writeSets(dir.filePath("sys2/quorvel"), ">Other,20" + silent);
    const std::string user =
        writeSets(dir.filePath("home/quorvel"), ">ZVEI1,70" + silent + ">zvei1,71" + silent);
    setenv("XDG_DATA_DIRS", (dir.filePath("sys1") + ":" + dir.filePath("sys2")).toUtf8(), 1);
    setenv("XDG_DATA_HOME", dir.filePath("empty").toUtf8(), 1);
    FakeWaveOut device;
    FakeTickCounter ticks;
    FakeEventPump events;
    std::ostringstream out, err;
    StderrMessages messages{err};
    const PlayServices play{device, ticks, messages, events};
    const auto run = [&](const QStringList& args, bool terminal = false) {
        out.str("");
        err.str("");
        std::vector<std::string> words{"quorvel-render"};
        for (const QString& arg : args)
            words.push_back(arg.toStdString());
        const int status = runRenderCommand(words, out, err, &play, terminal);
        return std::to_string(status) + ' ' + err.str();
    };

    // The first of: the current folder, the user's data folder, each system data folder.
    EXPECT_EQ(run({"-l"}), "0 quorvel-render: tone sets read from '" + system1 + "'\n");
    EXPECT_EQ(out.str(), "0\tDTMF1(E=* F=#)\t\n1\tDTMF2(E=* F=#)\t\n2\tSys\t10\n");
    setenv("XDG_DATA_HOME", dir.filePath("home").toUtf8(), 1);
    EXPECT_EQ(run({"-l"}), "0 quorvel-render: tone sets read from '" + user + "'\n");
    // Any case, where one set answers; two that differ only in case are both named.
    EXPECT_EQ(run({"-s", "ZVEI1", "-p", "0", "1"}), "0 ");
    EXPECT_EQ(out.str().size(), 2u * 1545);
    EXPECT_EQ(run({"-s", "Zvei1", "1"}),
              "2 quorvel-render: tone set 'Zvei1' could be 'ZVEI1' or 'zvei1'; give the name as "
              "it is written\nTry 'quorvel-render --help'.\n");
    EXPECT_EQ(run({"-s", "dtmf2", "-t", "0", "-p", "0", "1"}), "0 ");

    // Samples refused on a terminal, written to a file or a pipe, and played.
    EXPECT_EQ(run({"-s", "DTMF1", "1"}, true),
              "2 quorvel-render: standard output is a terminal: write the samples to a file with "
              "-o FILE, or to a pipe\nTry 'quorvel-render --help'.\n");
    EXPECT_EQ(run({"-o", dir.filePath("t.raw"), "1"}, true), "0 ");
    device.doneOnWrite = true;
    EXPECT_EQ(run({"--play", "1"}, true), "0 ");

    // One warning for the characters that sound as silence; the samples as they always were.
    EXPECT_EQ(run({"-s", "DTMF1", "--", "123x"}), "0 quorvel-render: warning: 'x' is not a "
                                                  "symbol and sounds as silence\n");
    const std::string silentTone = out.str();
    EXPECT_EQ(run({"-s", "DTMF1", "--", "123#"}),
              "0 quorvel-render: warning: '#' is not a symbol and sounds as silence; DTMF's # is "
              "F\n");
    EXPECT_EQ(out.str(), silentTone);
    EXPECT_EQ(run({"--", "*1#a*"}), "0 quorvel-render: warning: '*', '#' and 'a' are not symbols "
                                    "and sound as silence; DTMF's * is E; DTMF's # is F\n");
    // A name written as it is in the file needs no guess.
    EXPECT_EQ(run({"-s", "zvei1", "--", "1"}), "0 ");

    // A mistyped option: the nearest one, then one line instead of the whole usage.
    EXPECT_EQ(run({"--plya", "1"}), "2 quorvel-render: Unknown option 'plya'. Did you mean "
                                    "'--play'?\nTry 'quorvel-render --help'.\n");
    EXPECT_EQ(run({"--bogus", "1"}),
              "2 quorvel-render: Unknown option 'bogus'.\nTry 'quorvel-render --help'.\n");
    EXPECT_EQ(run({"--tone"}),
              "2 quorvel-render: Missing value after '--tone'.\nTry 'quorvel-render --help'.\n");
    EXPECT_EQ(run({"-h"}), "0 ");
    EXPECT_THAT(out.str(), StartsWith("Usage: quorvel-render [options] [--] SEQUENCE\n"));
}

// Every way out of a keyed play, on one timeline of line and device steps at their time in ms:
// the line is locked, opened released and watched, the device opened and prepared and the
// sound rendered before the KEY; then the lead, the write, the end, the tail and the UNKEY.
// "12 3" (DTMF1, 70 ms tones) sounds for 570 ms; each wait lets 10 ms pass.
TEST(RenderCommand, TheTransmitterIsReleasedOnEveryWayOut)
{
    const QStringList ptt = {"--ptt", "serial:/dev/ttyFAKE:rts"};
    const std::string ready = "line@0 watch@0 open@0 prep@0 ";
    const std::string keyed = ready + "until=180000@0 KEY@0 write@250 ";
    const struct {
        QStringList args;
        std::map<std::string, std::string> lineFailures;
        std::string deviceFailure; // a step; "stall": the sound never ends; or below
        int signal;
        std::uint32_t signalAt;
        int status;
        std::string timeline;
        const char* err; // its start
    } table[] = {
        // clang-format off
        {ptt, {}, "", 0, 0, 0, keyed + "unprep@820 close@820 UNKEY@870 released@870", ""},
        {ptt + QStringList{"--ptt-lead", "100", "--ptt-tail", "0"}, {}, "", 0, 0, 0,
         ready + "until=180000@0 KEY@0 write@100 unprep@670 close@670 UNKEY@670 released@670", ""},
        {ptt, {{"open", "cannot open PTT port"}}, "", 0, 0, 1, "line@0", "quorvel-render: cannot open PTT"},
        {ptt, {{"key", "cannot key"}}, "", 0, 0, 1, ready + "until=180000@0 KEY@0 reset@0 close@0 UNKEY@0 released@0",
         "quorvel-render: cannot key"},
        // The watchdog, told nothing, releases the line once more, waited for.
        {ptt, {{"unkey", "cannot release"}}, "", 0, 0, 1, keyed + "unprep@820 close@820 UNKEY@870 takeover@870",
         "quorvel-render: cannot release"},
        // Nothing keyed when the device or the render fails.
        {ptt, {}, "open", 0, 0, 1, "line@0 watch@0 open@0 released@0", "SuonaSequenza: error: 1."},
        {ptt, {}, "prepareHeader", 0, 0, 1, ready + "reset@0 close@0 released@0", "SuonaSequenza: error: 2."},
        {ptt + QStringList{"-i", "-1"}, {}, "", 0, 0, 1, ready + "reset@0 close@0 released@0", "Quorvel: error: "},
        {ptt, {}, "write", 0, 0, 1, keyed + "reset@250 close@250 UNKEY@250 released@250", "SuonaSequenza: error: 3."},
        {ptt, {}, "deviceError", 0, 0, 1, keyed + "reset@250 close@250 UNKEY@250 released@250",
         "SuonaSequenza: error: 3."},
        {ptt, {}, "unprepareHeader", 0, 0, 1, keyed + "unprep@820 reset@820 close@820 UNKEY@820 released@820",
         "SuonaSequenza: error: 4."},
        {ptt + QStringList{"--calls", "100000"}, {}, "", 0, 0, 1, "", "quorvel-render: Overflow: the framed"},
        // The time-out: a call longer than it is refused; a sound that does not end is cut.
        {ptt + QStringList{"--ptt-timeout", "0,8"}, {}, "", 0, 0, 1, "",
         "quorvel-render: the call would keep the transmitter keyed for 0.87 s (the lead, 0.57 s "
         "of sound and the tail), longer than the time-out of 0.8 s"},
        // However short a time-out, it is named as given, never as none.
        {ptt + QStringList{"--ptt-timeout", "0.0001"}, {}, "", 0, 0, 1, "",
         "quorvel-render: the call would keep the transmitter keyed for 0.87 s (the lead, 0.57 s "
         "of sound and the tail), longer than the time-out of 0.0001 s"},
        {ptt + QStringList{"--ptt-timeout", "1"}, {}, "stall", 0, 0, 1,
         ready + "until=1000@0 KEY@0 write@250 reset@1000 close@1000 UNKEY@1000 released@1000",
         "quorvel-render: the transmitter time-out of 1 s ran out before the sound ended; the sound was stopped and the recording line released\n"},
        // A sound whose end is seen late, just past the time-out, was played whole: only the
        // tail is cut, and so it is said. So in the tail itself.
        {ptt + QStringList{"--ptt-timeout", "0,9"}, {}, "late:650", 0, 0, 1,
         ready + "until=900@0 KEY@0 write@250 unprep@900 close@900 UNKEY@900 released@900",
         "quorvel-render: the transmitter time-out of 0.9 s ran out after the whole sound, in the tail; only the tail was cut and the recording line released\n"},
        {ptt + QStringList{"--ptt-timeout", "0,9"}, {}, "late:620", 0, 0, 1,
         ready + "until=900@0 KEY@0 write@250 unprep@870 close@870 UNKEY@900 released@900",
         "quorvel-render: the transmitter time-out of 0.9 s ran out after the whole sound"},
        // The watchdog ends: during the call, which stops and is released; before the key,
        // which is then never keyed.
        {ptt, {}, "watchdog:500", 0, 0, 1, keyed + "reset@500 close@500 UNKEY@500 released@500",
         "quorvel-render: the PTT watchdog ended during the call; the call was stopped and the recording line released\n"},
        {ptt, {}, "watchdog:0", 0, 0, 1, ready + "reset@0 close@0 released@0",
         "quorvel-render: the PTT watchdog ended before the call; nothing was sent\n"},
        // Signals: in the sound, in the lead, in the tail; each takes its usual course (the end
        // of the process, or Ctrl-Z's suspension) only once the line is released.
        {ptt, {}, "", SIGINT, 500, 130, keyed + "reset@500 close@500 UNKEY@500 released@500", "stopped after 250 ms\n"},
        {ptt, {}, "", SIGUSR1, 500, 138, keyed + "reset@500 close@500 UNKEY@500 released@500", "stopped after 250 ms\n"},
        {ptt, {}, "", SIGTSTP, 500, 148, keyed + "reset@500 close@500 UNKEY@500 released@500", "stopped after 250 ms\n"},
        {ptt, {}, "", SIGTERM, 100, 143, ready + "until=180000@0 KEY@0 reset@100 close@100 UNKEY@100 released@100",
         "stopped after 0 ms\n"},
        {ptt, {}, "", SIGALRM, 830, 142, keyed + "unprep@820 close@820 UNKEY@830 released@830",
         "stopped after 570 ms\n"},
        {{}, {}, "", SIGHUP, 300, 129, "open@0 prep@0 write@0 reset@300 close@300", "stopped after 300 ms\n"},
        // clang-format on
    };
    const std::map<std::string, std::string> device = {{"prepareHeader", "prep"},
                                                       {"unprepareHeader", "unprep"}},
                                             line = {{"open", "line"},
                                                     {"key", "KEY"},
                                                     {"unkey", "UNKEY"}};
    for (const auto& row : table) {
        FakeWaveOut wave;
        FakeTickCounter ticks;
        FakeEventPump events;
        FakeStopSignals stopSignals;
        std::ostringstream out, err;
        StderrMessages messages{err};
        std::string timeline;
        const auto note = [&](const std::string& step) {
            timeline += (timeline.empty() ? "" : " ") + step + '@' + std::to_string(ticks.now);
        };
        std::uint32_t writtenAt = 0;
        wave.onCall = [&](const std::string& step) {
            writtenAt = step == "write" ? ticks.now : writtenAt;
            note(device.contains(step) ? device.at(step) : step);
        };
        // "late:MS": the sound ends MS after the write; "watchdog:MS": the watchdog ends then.
        const auto at = [&](const std::string& what) -> std::optional<std::uint32_t> {
            if (!row.deviceFailure.starts_with(what + ":"))
                return std::nullopt;
            return static_cast<std::uint32_t>(
                std::stoul(row.deviceFailure.substr(what.size() + 1)));
        };
        const std::uint32_t soundMs = at("late").value_or(570);
        const auto watchdogEnds = at("watchdog");
        bool watchdogGone = false;
        if (!row.deviceFailure.empty() && row.deviceFailure != "stall" && !at("late") &&
            !watchdogEnds)
            wave.failStep(row.deviceFailure, 6);
        bool raised = false;
        events.onWait = [&](auto limit) {
            ticks.advance(static_cast<std::uint32_t>(std::min<long>(limit.count(), 10)));
        };
        events.onPass = [&](int) {
            if (row.signal != 0 && !raised && ticks.now >= row.signalAt)
                raised = true, stopSignals.raise(row.signal);
            if (!wave.played.empty() && ticks.now - writtenAt >= soundMs &&
                row.deviceFailure != "stall")
                wave.setDone();
            if (watchdogEnds && !watchdogGone && ticks.now >= *watchdogEnds) {
                watchdogGone = true;
                events.ready(RecordingWatchdog::kDescriptor);
            }
        };
        PlayServices play{wave, ticks, messages, events, &stopSignals};
        play.lines.lines = [&](const PttAddress& address) {
            EXPECT_EQ(address.path, "/dev/ttyFAKE");
            return std::make_unique<RecordingPttLine>(
                [&](const std::string& step) { note(line.at(step)); }, row.lineFailures);
        };
        play.lines.watchdogs = [&] {
            return std::make_unique<RecordingWatchdog>(note, &watchdogGone);
        };
        const QStringList args = QStringList{"quorvel-render", "--play", "-t", "70"} + row.args +
                                 QStringList{"--", "12 3"};
        EXPECT_EQ(runRenderCommand(args, out, err, &play), row.status) << row.timeline;
        EXPECT_EQ(timeline, row.timeline);
        EXPECT_THAT(err.str(), StartsWith(row.err)) << row.timeline;
        EXPECT_FALSE(stopSignals.delivering()) << row.timeline;
        EXPECT_EQ(stopSignals.taken, row.signal) << row.timeline;
    }
}

// A process that has met its user's limits says what ran out, before it asks the sound server,
// opens a line or starts a watchdog: never a missing sound card, never a wait without end.
TEST(RenderCommand, APlayThatCannotMakeAThreadOrFilesSaysSoAndTouchesNothing)
{
    FakeWaveOut wave;
    FakeTickCounter ticks;
    FakeEventPump events;
    std::ostringstream out, err;
    StderrMessages messages{err};
    std::string steps;
    const auto note = [&](const std::string& step) { steps += step + ' '; };
    wave.onCall = note;
    wave.outputList = {{"sink", "Sink", true}};
    PlayServices play{wave, ticks, messages, events};
    play.lines.lines = [&](const PttAddress&) { return std::make_unique<RecordingPttLine>(note); };
    play.lines.watchdogs = [&] { return std::make_unique<RecordingWatchdog>(note); };
    const std::string why = "cannot start a thread: this user may run no more processes and "
                            "threads (ulimit -u 1)";
    play.shortage = [&] { return why; };
    for (const QStringList& args : {QStringList{"--play", "1"},
                                    QStringList{"--play", "--ptt", "serial:/dev/ttyFAKE:rts", "1"},
                                    QStringList{"--list-devices"}}) {
        err.str("");
        EXPECT_EQ(runRenderCommand(QStringList{"quorvel-render"} + args, out, err, &play), 1);
        EXPECT_EQ(err.str(), "quorvel-render: " + why + '\n');
    }
    EXPECT_EQ(steps, "");
    EXPECT_EQ(out.str(), "");
}
