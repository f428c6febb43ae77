#pragma once

// The programs' window icons and the product logo, drawn in code so that every program
// carries them without resource files.

#include <QIcon>
#include <QPixmap>

enum class ProgramKind { Hubrin, Patchora, Ramvel, Trisola, Flashbey, Candora };

QIcon programIcon(ProgramKind program);

// The logo the launcher shows in its top right corner: three overlapping primaries.
QPixmap productLogo(int side);
