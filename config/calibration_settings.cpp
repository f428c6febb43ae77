#include "config/calibration_settings.h"
