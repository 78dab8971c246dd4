// wx key codes as the shared layer names host keys (frontend/host_keys.h),
// for key map files. The numbers are wx 3.2's WXK_ values and characters.
#pragma once

// The host key of a wx key code; HOST_KEY_NONE for one without a name.
int wx_code_to_host_key(int wx_code);
