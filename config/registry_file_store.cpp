#include "config/registry_file_store.h"
