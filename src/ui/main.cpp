#include "Main.h"

#include "AppIcon.h"
#include "PlaybackCycle.h"
#include "PulseWaveOut.h"
#include "QtEventPump.h"
#include "QtMessageBoxes.h"
#include "TickCounter.h"
#include "frmTone.h"
#include "modTone.h"

#include <QApplication>

namespace
{

int run(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
    QApplication::setWindowIcon(appIcon());

    modTone module;
    PulseWaveOut device;
    SteadyTickCounter ticks;
    QtMessageBoxes messages;
    QtEventPump events;
    PlaybackCycle cycle(module, device, ticks, messages, events);

    const std::unique_ptr<frmTone> window = Main(module, cycle, messages);
    if (!window)
        return 1;
    return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[])
{
    return run(argc, argv);
}
