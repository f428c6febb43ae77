#pragma once

// What a colour meter gives for one reading, and the interface every meter back end
// (the simulated meter, ArgyllCMS spotread) implements.

#include "config/result.h"

// Tristimulus values with Y in cd/m², and the chromaticity of the same reading.
struct MeterReading {
    double X = 0.0;
    double Y = 0.0;
    double Z = 0.0;
    double x = 0.0;
    double y = 0.0;
};

// x and y from X, Y and Z; both 0 for a reading of no light at all.
MeterReading readingFromXyz(double X, double Y, double Z);

class ColourMeter {
public:
    virtual ~ColourMeter() = default;
    // Prepares the meter for readings (starts and calibrates it where it needs that). A
    // failure's message says, in words an operator can act on, why it is not ready.
    [[nodiscard]] virtual Result<> open() = 0;
    // One reading of what the meter sees now, or why there is none. Returns within the
    // meter's time limit.
    [[nodiscard]] virtual Result<MeterReading> read() = 0;
    virtual void close() = 0;
};
