#include "config/step_table.h"
