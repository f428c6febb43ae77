#include "config/registry_file.h"
