#include "Main.h"

#include "AppIcon.h"
#include "HeldMessages.h"
#include "OutputChoice.h"
#include "OutputReportMessages.h"
#include "PlaybackCycle.h"
#include "ProcessLimits.h"
#include "ProcessSignals.h"
#include "ProcessWatchdog.h"
#include "QtEventPump.h"
#include "QtMessageBoxes.h"
#include "QtToneWindow.h"
#include "RadioSend.h"
#include "TickCounter.h"
#include "WaveOutChoice.h"
#include "WindowOptions.h"
#include "modTone.h"

#include <QApplication>
#include <QSocketNotifier>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

namespace
{

// A window started from a menu has no terminal for its messages: when a display is there, a
// problem that ends the start is shown in a box as well.
void showStartProblem(int argc, char* argv[], const std::string& text)
{
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool headless = platform && (std::string_view(platform).starts_with("offscreen") ||
                                       std::string_view(platform).starts_with("minimal"));
    if (headless || (!set("DISPLAY") && !set("WAYLAND_DISPLAY")))
        return;
    QApplication app(argc, argv);
    QApplication::setWindowIcon(appIcon());
    QtMessageBoxes().show(text, "Quorvel", Messages::Icon::Critical);
}

int run(int argc, char* argv[])
{
    // The options first: --help, --version and a bad option need no display.
    auto parsed = parseWindowOptions(std::vector<std::string>(argv, argv + argc));
    if (const auto* usage = std::get_if<WindowUsageError>(&parsed)) {
        std::cerr << "quorvel: " << usage->message << "\nTry 'quorvel --help'.\n";
        showStartProblem(argc, argv, usage->message + "\n\nTry 'quorvel --help'.");
        return 2;
    }
    const WindowOptions& options = std::get<WindowOptions>(parsed);
    if (options.help || options.version) {
        std::cout << (options.help ? options.helpText : "quorvel " QUORVEL_VERSION "\n");
        return std::cout.flush() ? 0 : 1;
    }

    // Before Qt, which ends the process when it cannot make its wake-up pipes or its thread:
    // the user is told what ran out, never that the machine has no sound card.
    if (const std::string why = ProcessLimits::shortage(ProcessLimits::kWindowDescriptors);
        !why.empty()) {
        std::cerr << "quorvel: " << why << '\n';
        return 1;
    }
    QApplication app(argc, argv);
    // Qt has just set the whole locale from the environment. hamlib's rig_open keeps the name
    // that setlocale(LC_NUMERIC, NULL) returns, switches LC_NUMERIC to "C" and then reads the
    // kept name, which glibc has freed by then unless LC_NUMERIC was "C" already. Our own
    // numbers are read with from_chars and written in "C" terms (Qt's own formatting does
    // not use the C locale), so "C" costs nothing. Set here, before a Send starts hamlib's
    // thread or the sound server's.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
    QApplication::setWindowIcon(appIcon());
    // The controls keep fixed pixel boxes; the window font is chosen so that every text fits
    // the boxes as this style lays them out. A desktop style with wider frames would cut them.
    QApplication::setStyle(QStringLiteral("Fusion"));

    modTone module;
    module.Framing = options.radio.framing;
    const std::unique_ptr<WaveOut> device = makeWaveOut();
    // An output that is not there now (a radio's sound card not yet plugged in) is no reason
    // not to start: every Send plays on it or fails, and the first failure's box says why.
    // The sound never goes to another output instead.
    const std::string outputName = options.radio.device.value_or("");
    if (!outputName.empty()) {
        if (const std::string why = chooseOutput(*device, outputName); !why.empty())
            std::cerr << "quorvel: " << why << '\n';
        device->setOutputDevice(outputName);
    }
    device->setOutputHeld(options.radio.ptt.has_value()); // a keyed call never moves
    SteadyTickCounter ticks;
    QtMessageBoxes boxes;
    // Boxes wait while a line is keyed, so that none keeps a transmitter on the air.
    HeldMessages messages(boxes);
    OutputReportMessages cycleMessages(messages, *device, outputName);
    QtEventPump events;
    PlaybackCycle cycle(module, *device, ticks,
                        outputName.empty() ? static_cast<Messages&>(messages) : cycleMessages,
                        events);
    std::optional<RadioSend> radioSend;
    if (options.radio.ptt)
        radioSend.emplace(module, cycle, events, ticks, messages, options.radio,
                          processLineServices());

    const std::unique_ptr<QtToneWindow> window = Main(module, cycle, messages);
    if (!window)
        return 1;
    boxes.setOwner(window.get());
    if (radioSend)
        window->setRadioSend(&*radioSend);
    // A logout, a shutdown or a kill ends the window as its close does, so what was typed
    // is saved; a play is stopped first, and a keyed line released.
    QSocketNotifier signalArrived(ProcessSignals::descriptor(), QSocketNotifier::Read);
    QObject::connect(&signalArrived, &QSocketNotifier::activated, &ProcessSignals::dispatchPending);
    ProcessSignals::route({SIGTERM, SIGHUP}, [&window](int) { window->form().closeFromOutside(); });
    const int status = QApplication::exec();
    ProcessSignals::unroute({SIGTERM, SIGHUP});
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    // The push-to-talk watchdog is this program run again; it needs nothing of the rest.
    if (const auto status = ProcessWatchdog::runIfAsked(argc, argv))
        return *status;
    // Before any thread: signal actions and the environment are the process's, not a thread's.
    // A radio's control connection that closes under a write is then an error of that write,
    // not the end of the window and of what was typed in it.
    ProcessSignals::install();
    keepSoundServersFromStarting();
    return run(argc, argv);
}
