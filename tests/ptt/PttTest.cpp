#include "Cm108Ptt.h"
#include "PttSpec.h"
#include "RecordingPttLine.h"
#include "Transmitter.h"

#include <fcntl.h>
#include <fstream>
#include <gmock/gmock.h>
#include <pty.h>
#include <unistd.h>

using testing::HasSubstr;

TEST(PttSpec, ReadsBothKindsAndRefusesEverythingElse)
{
    using Pin = SerialPtt::Pin;
    const struct {
        const char* text;
        PttSpec::Kind kind;
        const char* path;
        Pin pin;
        bool invert;
        int gpio;
    } valid[] = {
        {"serial:/dev/ttyUSB0:rts", PttSpec::Kind::Serial, "/dev/ttyUSB0", Pin::Rts, false, 3},
        {"serial:/dev/ttyS1:dtr:invert", PttSpec::Kind::Serial, "/dev/ttyS1", Pin::Dtr, true, 3},
        {"serial:/dev/serial/by-id/a:b:rts", PttSpec::Kind::Serial, "/dev/serial/by-id/a:b",
         Pin::Rts, false, 3},
        {"cm108:/dev/hidraw0", PttSpec::Kind::Cm108, "/dev/hidraw0", Pin::Rts, false, 3},
        {"cm108:/dev/hidraw2:8", PttSpec::Kind::Cm108, "/dev/hidraw2", Pin::Rts, false, 8},
    };
    for (const auto& row : valid) {
        const auto parsed = parsePttSpec(row.text);
        ASSERT_TRUE(std::holds_alternative<PttSpec>(parsed)) << row.text;
        const PttSpec& spec = std::get<PttSpec>(parsed);
        EXPECT_EQ(std::tuple(spec.kind, spec.path, spec.pin, spec.invert, spec.gpio),
                  std::tuple(row.kind, row.path, row.pin, row.invert, row.gpio))
            << row.text;
    }
    for (const char* text : {"", "serial", "serial:/dev/ttyS0", "serial:/dev/ttyS0:cts",
                             "serial::rts", "serial:/dev/ttyS0:invert", "cm108:", "cm108:/dev/x:0",
                             "cm108:/dev/x:9", "cm108:/dev/x:03", "hamlib:1", "SERIAL:/d:rts"})
        EXPECT_THAT(std::get<std::string>(parsePttSpec(text)),
                    HasSubstr("expected serial:DEVICE:rts"))
            << text;
}

TEST(Cm108Ptt, WritesDataBeforeMaskToTheDevice)
{
    char path[] = "/tmp/quorvel-hidraw-XXXXXX"; // a plain file stands in for /dev/hidrawN
    ::close(::mkstemp(path));
    for (const int gpio : {3, 1, 8}) {
        std::ofstream(path, std::ios::trunc).close();
        {
            const auto line = makePttLine(std::get<PttSpec>(parsePttSpec(
                std::string("cm108:") + path + (gpio == 3 ? "" : ":" + std::to_string(gpio)))));
            EXPECT_EQ(line->open(), "");
            EXPECT_EQ(line->key(), "");
            EXPECT_EQ(line->unkey(), "");
        }
        std::ifstream file(path, std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(file), {});
        const char pin = static_cast<char>(1 << (gpio - 1));
        // Released on open, keyed, released: report 0, 0, data, direction mask, 0.
        EXPECT_EQ(bytes, std::string({0, 0, 0, pin, 0, 0, 0, pin, pin, 0, 0, 0, 0, pin, 0}))
            << gpio;
    }
    ::unlink(path);
    Cm108Ptt missing("/nonexistent/hidraw9", 3);
    EXPECT_THAT(missing.open(), HasSubstr("/nonexistent/hidraw9"));
    EXPECT_THAT(missing.key(),
                HasSubstr("cannot key the transmitter: GPIO 3 of /nonexistent/hidraw9"));
}

TEST(SerialPtt, APseudoTerminalHasNoModemLinesAndFailsNamingIt)
{
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    for (const char* pin : {":rts", ":dtr:invert"}) {
        const auto line =
            makePttLine(std::get<PttSpec>(parsePttSpec(std::string("serial:") + name + pin)));
        const std::string error = line->open();
        EXPECT_THAT(error, HasSubstr(std::string(" of ") + name + " cannot be set")) << pin;
        EXPECT_THAT(error, HasSubstr("serial port with modem lines")) << pin;
    }
    ::close(master);
    ::close(slave);
    SerialPtt missing("/nonexistent/ttyUSB7", SerialPtt::Pin::Rts, false);
    EXPECT_THAT(missing.open(), HasSubstr("cannot open PTT port /nonexistent/ttyUSB7: No such"));
}

// The transmitter is released whenever the guard goes, keyed or half keyed, and only then.
TEST(Transmitter, ReleasesOnEveryWayOutAndReportsAFailedRelease)
{
    std::string steps, released;
    const auto record = [&](const std::string& step) { steps += step + ' '; };
    const auto failed = [&](const std::string& why) { released += why; };
    {
        RecordingPttLine line(record);
        Transmitter never(line, failed); // never keyed: nothing to release
    }
    try {
        RecordingPttLine line(record);
        Transmitter keyed(line, failed);
        EXPECT_EQ(keyed.key(), "");
        throw std::runtime_error("an error after keying");
    } catch (const std::runtime_error&) {
    }
    {
        RecordingPttLine line(record, {{"key", "no key"}, {"unkey", "stuck"}});
        Transmitter half(line, failed);
        EXPECT_EQ(half.key(), "no key");
    }
    EXPECT_EQ(steps, "key unkey key unkey ");
    EXPECT_EQ(released, "stuck");
}
