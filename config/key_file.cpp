#include "config/key_file.h"
