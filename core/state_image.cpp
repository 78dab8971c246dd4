// The machine's globals to an image and back: each part's copy names its
// globals once for both directions.
#include "components.h"
#include "loop.h"
#include "memory.h"
#include "state_hash.h"
#include "state_image.h"

#include <cstring>
#include <type_traits>
#include <vector>

namespace {

// Copies one global into the image (take) or back (put).
template <class T>
void pair(T &image, T &global, bool put)
{
    static_assert(std::is_trivially_copyable_v<T>);
    if (put)
        std::memcpy(&global, &image, sizeof(T));
    else
        std::memcpy(&image, &global, sizeof(T));
}

} // namespace

// What the machine was started with: read from it, never put back.
void identity_image(orv_state_image &m, bool put)
{
    if (put)
        return;
    m.bios7020_hash = orv_hash64(rom_7020, sizeof rom_7020);
    m.iop_rom_hash = orv_hash64(rom_7041, sizeof rom_7041);
    m.cart_hash = orv_hash64(rom_cart, sizeof rom_cart);
}

void cpu_image(orv_state_image &m, bool put)
{
    pair(m.cpu, tms7000, put);
    pair(m.cpu_icount, tms7000_icount, put);
    pair(m.cpu_div_by_16_trigger, tms7000_div_by_16_trigger, put);
    pair(m.cpu_cycles_per_INT2, tms7000_cycles_per_INT2, put);
}

void memory_image(orv_state_image &m, bool put)
{
    pair(m.ram, ram_2k, put);
    pair(m.ports[0], porta_val, put);
    pair(m.ports[1], portb_val, put);
    pair(m.ports[2], portc_val, put);
    pair(m.ports[3], portd_val, put);
    pair(m.p_pc, p_pc, put);
    pair(m.pc_on_write, PC_ON_WRITE, put);
}

void cartridge_image(orv_state_image &m, bool put) { pair(m.cart, rom_cart, put); }

void timers_image(orv_state_image &m, bool put)
{
    pair(m.timer_num, g_timer_num, put);
    pair(m.timers, timer_tab, put);
    pair(m.clock, g_timer_clock, put);
    if (put) {
        veld_timers_table_loaded();
        return;
    }
    // Entries past the live ones hold whatever was removed last: not machine state.
    for (int i = m.timer_num; i < VELD_TIMER_MAX; i++)
        m.timers[i] = veld_timer{};
}

void loop_image(orv_state_image &m, bool put) { pair(m.loop, orv_loop_vars, put); }

void iop_image(orv_state_image &m, bool put)
{
    pair(m.iop, tms7041, put);
    pair(m.iop_state, cur_state, put);
    pair(m.mailbox, mailbox_val, put);
}

void vdp_image(orv_state_image &m, bool put)
{
    pair(m.vdp, tms3556, put);
    pair(m.render, tms3556_render, put);
    pair(m.picture, tms3556_screen, put);
    // The watches as saved: their low 32 bits.
    if (put) {
        tms3556.bkpt_write = m.vdp_bkpt_write;
        tms3556.bkpt_read = m.vdp_bkpt_read;
    } else {
        m.vdp_bkpt_write = static_cast<uint32_t>(tms3556.bkpt_write);
        m.vdp_bkpt_read = static_cast<uint32_t>(tms3556.bkpt_read);
    }
}

void speech_image(orv_state_image &m, bool put)
{
    pair(m.speech_in, tms5220, put);
    pair(m.speech, _tms, put);
    pair(m.speech_blocks, speech_blocks, put);
}

// The tape is named, not carried; when put back, the loader has settled
// whether the recording goes on.
void tape_image(orv_state_image &m, bool put)
{
    if (put) {
        if (m.tape_playing)
            K7_period = m.tape_period;
        else
            K7_release();
        return;
    }
    m.tape_playing = K7_buffer != nullptr;
    m.tape_hash = m.tape_playing ? K7_kept.hash : 0;
    m.tape_size = m.tape_playing ? K7_size : 0;
    m.tape_where = m.tape_playing ? static_cast<uint32_t>(K7where) : 0;
    m.tape_period = m.tape_playing ? K7_period : veld_time{0, 0};
}

const orv_component *const *state_parts()
{
    static const std::vector<const orv_component *> parts = [] {
        std::vector<const orv_component *> v;
        for (int i = 0; i < orv_component_count; i++)
            if (orv_components[i].section)
                v.push_back(&orv_components[i]);
        return v;
    }();
    return parts.data();
}

int state_part_count()
{
    int n = 0;
    for (int i = 0; i < orv_component_count; i++)
        n += orv_components[i].section != nullptr;
    return n;
}

void state_take_image(orv_state_image &m)
{
    for (int i = 0; i < state_part_count(); i++)
        state_parts()[i]->image(m, false);
}

void state_put_image(const orv_state_image &m)
{
    for (int i = 0; i < state_part_count(); i++)
        state_parts()[i]->image(const_cast<orv_state_image &>(m), true);
}
