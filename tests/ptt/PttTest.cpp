#include "Cm108Ptt.h"
#include "PttAddress.h"

#include <fcntl.h>
#include <fstream>
#include <gmock/gmock.h>
#include <pty.h>
#include <sstream>
#include <unistd.h>

using testing::HasSubstr;

TEST(PttAddress, ReadsBothKindsAndRefusesEverythingElse)
{
    // kind path pin invert gpio; a path may hold colons.
    const std::pair<const char*, const char*> valid[] = {
        {"serial:/dev/ttyUSB0:rts", "0 /dev/ttyUSB0 0 0 3"},
        {"serial:/dev/ttyS1:dtr:invert", "0 /dev/ttyS1 1 1 3"},
        {"serial:/dev/serial/by-id/a:b:rts", "0 /dev/serial/by-id/a:b 0 0 3"},
        {"cm108:/dev/hidraw0", "1 /dev/hidraw0 0 0 3"},
        {"cm108:/dev/hidraw2:8", "1 /dev/hidraw2 0 0 8"},
    };
    for (const auto& [text, fields] : valid) {
        const PttAddress address = std::get<PttAddress>(parsePttAddress(text));
        std::ostringstream read;
        read << int(address.kind) << ' ' << address.path << ' ' << int(address.pin) << ' '
             << address.invert << ' ' << address.gpio;
        EXPECT_EQ(read.str(), fields) << text;
    }
    for (const char* text : {"", "serial", "serial:/dev/ttyS0", "serial:/dev/ttyS0:cts",
                             "serial::rts", "serial:/dev/ttyS0:invert", "cm108:", "cm108:/dev/x:0",
                             "cm108:/dev/x:9", "cm108:/dev/x:03", "hamlib:1", "SERIAL:/d:rts"})
        EXPECT_THAT(std::get<std::string>(parsePttAddress(text)),
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
            const auto line = makePttLine(std::get<PttAddress>(parsePttAddress(
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
            makePttLine(std::get<PttAddress>(parsePttAddress(std::string("serial:") + name + pin)));
        const std::string error = line->open();
        EXPECT_THAT(error, HasSubstr(std::string(" of ") + name + " cannot be set")) << pin;
        EXPECT_THAT(error, HasSubstr("serial port with modem lines")) << pin;
    }
    ::close(master);
    ::close(slave);
    SerialPtt missing("/nonexistent/ttyUSB7", SerialPtt::Pin::Rts, false);
    EXPECT_THAT(missing.open(), HasSubstr("cannot open PTT port /nonexistent/ttyUSB7: No such"));
}
