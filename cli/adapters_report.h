#pragma once

// What `chromix adapters` prints: every FTDI adapter each family finds and, when probing,
// each one's flash identification with a verdict. Probing opens the adapter and reads the
// identification only; it writes nothing to the flash.

#include "download/adapters/ftdi_adapter_library.h"

#include <iosfwd>

// The number of adapters found, or with `probe` the number whose flash answered as the
// processor's.
int reportFtdiAdapters(FtdiAdapterLibrary& library, bool probe, std::ostream& out);
