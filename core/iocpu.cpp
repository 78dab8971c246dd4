// Mailbox between the two processors. The handshake state machine that
// answers port B edges is not built yet: edges are accepted and ignored.
#include "iocpu.h"

namespace {
unsigned char mailbox_val;
}

void io_cpu_event_callback(io_cpu_event) {}
unsigned char read_mailbox() { return mailbox_val; }
void write_mailbox(unsigned char v) { mailbox_val = v; }

void iocpu_clear_state() { mailbox_val = 0; }
