#include "config_record.h"

ConfigRecord g_config = {};

void config_record_reset() { g_config = ConfigRecord{}; }
