#pragma once

#include "FakeEventPump.h"
#include "FakeTickCounter.h"
#include "FakeWaveOut.h"
#include "PlaybackCycle.h"
#include "RecordingMessages.h"
#include "TempDir.h"
#include "frmTone.h"
#include "modTone.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

// One QApplication for the whole test program, made on first use so that listing the tests
// needs no display.
inline void ensureApplication()
{
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "quorvel-ui-test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// Two file sets, durations 80 and 120, as entries 2 and 3.
inline constexpr const char* kTwoSets = "Test sets\r\n"
                                        ">Set A,80\r\n"
                                        "400,435,470,505,540,575,610,645,680,715,750,785,820,855,"
                                        "890,925\r\n"
                                        ">Set B,120\r\n"
                                        "300,320,340,360,380,400,420,440,460,480,500,520,540,560,"
                                        "580,600\r\n";

// The window over a fake device, a fake clock, a fake event pump and a message recorder, run
// in a fresh current directory, where it reads TONESETS.INI and keeps Quorvel.ini.
class WindowTest : public ::testing::Test
{
protected:
    WindowTest() : m_previousDir(std::filesystem::current_path())
    {
        ensureApplication();
        std::filesystem::current_path(dir.file(""));
    }
    ~WindowTest() override
    {
        window.reset();
        std::filesystem::current_path(m_previousDir);
    }

    // A window as Main makes it, before its load.
    frmTone& create()
    {
        window = std::make_unique<frmTone>(m, cycle, messages);
        return *window;
    }
    // A window after its load, with the given tone-set file (none when empty) and settings.
    frmTone& load(const std::string& toneSets = kTwoSets, const std::string& settings = {})
    {
        if (!toneSets.empty())
            dir.write("TONESETS.INI", toneSets);
        if (!settings.empty())
            dir.write("Quorvel.ini", settings);
        create().Form_Load();
        return *window;
    }

    // The device finishes the play on the given pass of the wait; the clock moves on by ms.
    void playEndsOnPass(int pass, std::uint32_t ms)
    {
        events.onPass = [this, pass, ms](int p) {
            if (p == pass) {
                ticks.advance(ms);
                device.setDone();
            }
        };
    }

    TempDir dir;
    modTone m;
    FakeWaveOut device;
    FakeTickCounter ticks;
    RecordingMessages messages;
    FakeEventPump events;
    PlaybackCycle cycle{m, device, ticks, messages, events};
    std::unique_ptr<frmTone> window;

private:
    std::filesystem::path m_previousDir;
};
