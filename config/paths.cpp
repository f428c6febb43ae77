#include "config/paths.h"
