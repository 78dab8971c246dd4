// Every key of the main window, as --help and Help, Keys (F9) list them.
#pragma once

extern const char *const wxo_key_list;
