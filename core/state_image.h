// Inside the state code: the whole machine as one record, apart from the
// globals it runs on, and the sections that write and read it. A state is
// saved by taking an image of the machine and writing its sections; it is
// loaded by reading every section into a fresh image, checking it whole,
// and only then putting the image into the machine.
#pragma once

#include "cassette.h"
#include "iocpu.h"
#include "loop.h"
#include "state_fields.h"
#include "timers.h"
#include "tms3556.h"
#include "tms5220.h"
#include "tms7000.h"

#include <cstdint>

struct orv_state_image {
    // What the machine was started with (identity section).
    uint64_t bios7020_hash;
    uint64_t iop_rom_hash;
    uint64_t cart_hash;

    // Processor and timer 1.
    tms7000_state cpu;
    int cpu_icount;
    int cpu_div_by_16_trigger;
    int cpu_cycles_per_INT2;

    // Bus: RAM, ports, write-watch; the cartridge area.
    uint8_t ram[2048];
    uint8_t ports[4];  // A, B, C, D
    uint16_t p_pc;
    uint16_t pc_on_write[65536];
    uint8_t cart[32768];

    // Event timers, in table order (the order decides which of two due
    // timers fires first).
    int timer_num;
    veld_timer timers[VELD_TIMER_MAX];
    veld_time clock;

    // Frame loop.
    orv_loop_state loop;

    // I/O processor.
    tms7041_state iop;
    int iop_state;
    uint8_t mailbox;

    // Video processor, its render state and the picture last drawn.
    tms3556_state vdp;
    uint32_t vdp_bkpt_write;  // the watches as saved: the low 32 bits
    uint32_t vdp_bkpt_read;
    tms3556_render_state render;
    tms3556_picture picture;

    // Speech synthesizer.
    tms5220_input speech_in;
    tms5220_synth speech;
    tms5220_blocks speech_blocks;

    // Cassette: the recording is named, not carried.
    uint8_t tape_playing;
    uint64_t tape_hash;
    uint32_t tape_size;
    uint32_t tape_where;
    veld_time tape_period;
};

// Image <-> machine: each part's copy, in the order of components.h.
void state_take_image(orv_state_image &m);
void state_put_image(const orv_state_image &m);

// The parts a state carries, in file order (components.h).
struct orv_component;
const orv_component *const *state_parts();
int state_part_count();

// Each part's section fields (state_sections.cpp) and copy between the
// machine and the image (state_image.cpp), as components.h lists them.
void identity_section(state_fields &f, orv_state_image &m);
void cpu_section(state_fields &f, orv_state_image &m);
void memory_section(state_fields &f, orv_state_image &m);
void cartridge_section(state_fields &f, orv_state_image &m);
void timers_section(state_fields &f, orv_state_image &m);
void loop_section(state_fields &f, orv_state_image &m);
void iop_section(state_fields &f, orv_state_image &m);
void vdp_section(state_fields &f, orv_state_image &m);
void speech_section(state_fields &f, orv_state_image &m);
void tape_section(state_fields &f, orv_state_image &m);
void identity_image(orv_state_image &m, bool put);
void cpu_image(orv_state_image &m, bool put);
void memory_image(orv_state_image &m, bool put);
void cartridge_image(orv_state_image &m, bool put);
void timers_image(orv_state_image &m, bool put);
void loop_image(orv_state_image &m, bool put);
void iop_image(orv_state_image &m, bool put);
void vdp_image(orv_state_image &m, bool put);
void speech_image(orv_state_image &m, bool put);
void tape_image(orv_state_image &m, bool put);

// What each event-timer tag calls, and the parameters it may carry.
struct state_timer_kind {
    int tag;
    veld_callback callback;
    int param_lo, param_hi;
};
extern const state_timer_kind state_timer_kinds[];
extern const int state_timer_kind_count;
