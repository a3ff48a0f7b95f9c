#pragma once

#include <QIcon>

// The program's icon (a sharp and two notes on a staff), from the resources: the SVG for any
// size, with the 16 and 32 pixel drawings where those sizes are asked for.
QIcon appIcon();
