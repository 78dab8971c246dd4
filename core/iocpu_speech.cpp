// The I/O processor's speech feed: it clocks the synthesizer at 8000 samples
// a second of emulated time and turns the synthesizer's FIFO events into the
// reports that the firmware answers with more data (low) or takes as the
// end of the phrase (end).
#include "iocpu.h"

#include "timers.h"
#include "tms5220.h"
#include "trace.h"

namespace {

// One sample period; the event clock makes it 306 of its cycles.
constexpr double SPEECH_SAMPLE_PERIOD = 0.000125;
veld_delay io_cpu_speech_period = {SPEECH_SAMPLE_PERIOD, {0, 0}, false};

// The next tick is due one period after the tick that is firing, not after
// the moment it fired: the clock then keeps 8023 ticks a second (one per 306
// cycles) instead of losing up to an instruction's cycles on every tick.
void io_cpu_speech_next()
{
    veld_timer_remove(SPEECH_TIMER);
    veld_timer_create_next(speech_buffer_do, 0, SPEECH_TIMER, veld_delay_time(io_cpu_speech_period));
}

} // namespace

void speech_callback_start()
{
    veld_timer_remove(SPEECH_TIMER);
    veld_timer_create(speech_buffer_do, 0, SPEECH_TIMER, veld_delay_time(io_cpu_speech_period));
}

void speech_buffer_do(int)
{
    static trace_fn tf = {"speech_buffer_do()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    switch (speech_do()) {
    case SPEECH_DO_LOW:
        // A low FIFO in the middle of a speech command is not reported: the
        // bytes still on their way will refill it.
        if (tms7041.data_count == 0)
            speech_buffer_low();
        break;
    case SPEECH_DO_UNDERFLOW:
        TRACE(tf, "Underflow : STOP");
        speech_buffer_end();
        break;
    case SPEECH_DO_STOP:
        speech_buffer_end();
        break;
    case SPEECH_DO_NOTHING:
        break;
    }
    io_cpu_speech_next();
}

void speech_buffer_start()
{
    static trace_fn tf = {"speech_buffer_start()", 0};
    trace_enter(tf);
    TRACE(tf, "called");
    tms7041.speech_status &= ~SPEECH_END;
    tms7041.flags &= ~SPEECH_LOW;
    speech_reset();
}

void speech_buffer_low()
{
    static trace_fn tf = {"speech_buffer_low()", 0};
    trace_enter(tf);
    TRACE(tf, "called 7041 phase=%d %s", cur_state, io_cpu_state_name(cur_state));
    tms7041.flags |= SPEECH_LOW;
}

void speech_buffer_end()
{
    static trace_fn tf = {"speech_buffer_end()", 0};
    trace_enter(tf);
    TRACE(tf, "called 7041 phase=%d %s", cur_state, io_cpu_state_name(cur_state));
    tms7041.flags &= ~SPEECH_LOW;
    tms7041.speech_status |= SPEECH_END;
}

void io_cpu_speech_clear_state()
{
    io_cpu_speech_period = {SPEECH_SAMPLE_PERIOD, {0, 0}, false};
}
