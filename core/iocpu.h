// The I/O processor, emulated at a high level: handshake state machine,
// mailbox, commands, key reports and the speech feed.
#pragma once

enum io_cpu_event : int {
    B0_LOW = 0,
    B0_HIGH = 1,
    B1_LOW = 2,
    B1_HIGH = 3,
};

void io_cpu_event_callback(io_cpu_event ev);
unsigned char read_mailbox();
void write_mailbox(unsigned char v);

void iocpu_clear_state();
