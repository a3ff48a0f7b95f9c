#include "AppIcon.h"

// Resources of a static library are registered by hand, at global scope.
static void registerIconResources()
{
    Q_INIT_RESOURCE(quorvel);
}

QIcon appIcon()
{
    static const bool registered = (registerIconResources(), true);
    Q_UNUSED(registered);
    QIcon icon(QStringLiteral(":/icons/quorvel.svg"));
    icon.addFile(QStringLiteral(":/icons/quorvel-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/quorvel-32.png"), QSize(32, 32));
    return icon;
}
