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
    // The drawn sizes first: an icon begun from the SVG would leave them to its SVG engine,
    // which renders every size from the SVG and never offers the drawings.
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/quorvel-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/quorvel-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/quorvel.svg"));
    return icon;
}
