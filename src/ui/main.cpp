#include "Main.h"

#include "AppIcon.h"
#include "CaughtSignals.h"
#include "HeldMessages.h"
#include "OutputChoice.h"
#include "PlaybackCycle.h"
#include "ProcessWatchdog.h"
#include "QtEventPump.h"
#include "QtMessageBoxes.h"
#include "RadioSend.h"
#include "TickCounter.h"
#include "WaveOutChoice.h"
#include "WindowOptions.h"
#include "frmTone.h"
#include "modTone.h"

#include <QApplication>
#include <clocale>
#include <csignal>
#include <iostream>
#include <optional>

namespace
{

int run(int argc, char* argv[])
{
    // The options first: --help, --version and a bad option need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    auto parsed = parseWindowOptions(arguments);
    if (const auto* usage = std::get_if<WindowUsageError>(&parsed)) {
        std::cerr << "quorvel: " << usage->message << "\n\n" << usage->usage;
        return 2;
    }
    const WindowOptions& options = std::get<WindowOptions>(parsed);
    if (options.help || options.version) {
        std::cout << (options.help ? options.helpText : "quorvel " QUORVEL_VERSION "\n");
        return std::cout.flush() ? 0 : 1;
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
    if (options.radio.device) {
        if (const std::string why = chooseOutput(*device, *options.radio.device); !why.empty()) {
            std::cerr << "quorvel: " << why << "\n\n" << options.helpText;
            return 2;
        }
    }
    device->setOutputHeld(options.radio.ptt.has_value()); // a keyed call never moves
    SteadyTickCounter ticks;
    QtMessageBoxes boxes;
    // Boxes wait while a line is keyed, so that none keeps a transmitter on the air.
    HeldMessages messages(boxes);
    QtEventPump events;
    PlaybackCycle cycle(module, *device, ticks, messages, events);
    std::optional<RadioSend> radioSend;
    if (options.radio.ptt)
        radioSend.emplace(module, cycle, events, ticks, messages, options.radio,
                          processLineServices());

    const std::unique_ptr<frmTone> window = Main(module, cycle, messages);
    if (!window)
        return 1;
    boxes.setOwner(window.get());
    if (radioSend)
        window->setRadioSend(&*radioSend);
    // A logout, a shutdown or a kill ends the window as its close does, so what was typed
    // is saved; a play is stopped first, and a keyed line released.
    const CaughtSignals termination({SIGTERM, SIGHUP},
                                    [&window](int) { window->closeFromOutside(); });
    return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[])
{
    // The push-to-talk watchdog is this program run again; it needs nothing of the rest.
    if (const auto status = ProcessWatchdog::runIfAsked(argc, argv))
        return *status;
    keepSoundServersFromStarting(); // before any thread
    // A radio's control connection that closes under a write must be an error of that write,
    // not the end of the window and of what was typed in it. Set before any thread, so that
    // no thread writes before it holds.
    std::signal(SIGPIPE, SIG_IGN);
    return run(argc, argv);
}
