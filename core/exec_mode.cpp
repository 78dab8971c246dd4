#include "exec_mode.h"

bool orv_exec_reference;

void orv_set_exec_mode(orv_exec_mode mode) { orv_exec_reference = mode == ORV_EXEC_REFERENCE; }

orv_exec_mode orv_get_exec_mode() { return orv_exec_reference ? ORV_EXEC_REFERENCE : ORV_EXEC_FAST; }
