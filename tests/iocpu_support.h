// Drives the I/O processor's state machine from the main processor's side
// without a processor program: port B writes through the bus, the event clock
// advanced one cycle at a time.
#pragma once

#include "test_support.h"

#include <cstdint>
#include <string>
#include <vector>

// Every trace name of the I/O processor and its speech feed.
extern const char *const iocpu_trace_names;

// Log lines without their time stamp and program counter, in order, keeping
// those that contain `part`.
std::vector<std::string> log_lines(const std::string &part = "");

class IoCpuTest : public CoreTest {
protected:
    // Turns on the gated lines of the I/O processor.
    void trace_iocpu();

    // Advances the event clock by `n` cycles, checking the timers after each.
    static void step(int n);
    // Steps until `done` holds; false after `limit` cycles without it.
    template <class F> static bool step_until(F done, int limit = 100000)
    {
        for (int i = 0; i < limit; i++) {
            if (done())
                return true;
            step(1);
        }
        return done();
    }

    static void portb(unsigned char v);
    static bool a0();

public:
    // The main processor's side of the handshake (the greeting also serves
    // tests of the frame loop).
    static void greet();                    // from "reset" to "ready"
    static void send_byte(unsigned char b); // one byte to the I/O side, back in "ready" or beyond
    // One byte from the I/O side, -1 if none comes within `limit` cycles.
    static int receive_byte(int limit = 2000);
};

// The same, keeping every sound block handed to the sink in `blocks`.
class IoCpuSoundTest : public IoCpuTest {
protected:
    void SetUp() override;
    void TearDown() override;
    static std::vector<std::vector<uint8_t>> blocks;
};
