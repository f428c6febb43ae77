#include "measure/colour_meter.h"

MeterReading readingFromXyz(double X, double Y, double Z)
{
    MeterReading reading{X, Y, Z, 0.0, 0.0};
    const double sum = X + Y + Z;
    if (sum > 0.0) {
        reading.x = X / sum;
        reading.y = Y / sum;
    }
    return reading;
}
