#include "Main.h"

#include "AppIcon.h"
#include "CaughtSignals.h"
#include "PlaybackCycle.h"
#include "ProcessWatchdog.h"
#include "QtEventPump.h"
#include "QtMessageBoxes.h"
#include "TickCounter.h"
#include "WaveOutChoice.h"
#include "frmTone.h"
#include "modTone.h"

#include <QApplication>
#include <csignal>

namespace
{

int run(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
    QApplication::setWindowIcon(appIcon());
    // The controls keep fixed pixel boxes; the window font is chosen so that every text fits
    // the boxes as this style lays them out. A desktop style with wider frames would cut them.
    QApplication::setStyle(QStringLiteral("Fusion"));

    modTone module;
    const std::unique_ptr<WaveOut> device = makeWaveOut();
    SteadyTickCounter ticks;
    QtMessageBoxes messages;
    QtEventPump events;
    PlaybackCycle cycle(module, *device, ticks, messages, events);

    const std::unique_ptr<frmTone> window = Main(module, cycle, messages);
    if (!window)
        return 1;
    messages.setOwner(window.get());
    // A logout, a shutdown or a kill ends the window as its close does, so what was typed
    // is saved; a play is stopped first.
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
    return run(argc, argv);
}
