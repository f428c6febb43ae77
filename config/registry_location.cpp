#include "config/registry_location.h"
