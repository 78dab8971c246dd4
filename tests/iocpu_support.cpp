#include "iocpu_support.h"

#include "core/host.h"
#include "core/iocpu.h"
#include "core/memory.h"
#include "core/timers.h"
#include "core/tms5220.h"

#include <sstream>

const char *const iocpu_trace_names =
    "io_cpu_callback() io_cpu_event() io_cpu_event_reset() io_cpu_event_init2() "
    "io_cpu_event_init3() io_cpu_event_init4() io_cpu_event_ready() io_cpu_event_command() "
    "io_cpu_dispatch_comm_rd_ack() io_cpu_dispatch_comm_send2() io_cpu_dispatch_comm_send3() "
    "io_cpu_dispatch_comm_send4() io_cpu_state_reset() io_cpu_state_init1() "
    "io_cpu_state_init1_IE() io_cpu_state_init2() io_cpu_state_init3() io_cpu_state_init4() "
    "io_cpu_state_ready() io_cpu_state_command() io_cpu_state_comm_rd_mb() "
    "io_cpu_state_comm_rd_IE() io_cpu_state_comm_rd_ack() io_cpu_state_comm_ack2() "
    "io_cpu_state_comm_F1C8() io_cpu_state_comm_push() io_cpu_state_comm_send() "
    "io_cpu_state_comm_send_IE() io_cpu_state_comm_send2() io_cpu_state_comm_send3() "
    "io_cpu_state_comm_send4() io_cpu_state_send() io_cpu_state_poll() set_mailbox() "
    "speech_buffer_start() speech_buffer_end() speech_buffer_low() speech_buffer_do()";

std::vector<std::string> log_lines(const std::string &part)
{
    std::vector<std::string> lines;
    std::istringstream in(log_text());
    std::string line;
    while (std::getline(in, line)) {
        // "%08X %04X " comes first.
        std::string rest = line.size() > 14 ? line.substr(14) : line;
        if (rest.find(part) != std::string::npos)
            lines.push_back(rest);
    }
    return lines;
}

void IoCpuTest::trace_iocpu() { write_file("debug.lst", iocpu_trace_names); }

void IoCpuTest::step(int n)
{
    for (int i = 0; i < n; i++) {
        veld_timer_update_clock({0, 1});
        veld_check_timers();
    }
}

void IoCpuTest::portb(unsigned char v) { io_write_byte_8(1, v); }
bool IoCpuTest::a0() { return get_porta() & 1; }

void IoCpuTest::greet()
{
    portb(0x01);
    ASSERT_TRUE(step_until([] { return cur_state == IO_STATE_INIT2; }));
    portb(0x03);
    ASSERT_TRUE(a0());
    portb(0x01);
    ASSERT_FALSE(a0());
    portb(0x00);
    ASSERT_EQ(cur_state, IO_STATE_READY);
}

void IoCpuTest::send_byte(unsigned char b)
{
    write_mailbox(b);
    portb(get_portb() | 0x01);
    // The I/O side acknowledges with A0 high (and INT1).
    ASSERT_TRUE(step_until([] { return a0(); }));
    portb(get_portb() & ~0x01);
    // The byte is handled when the acknowledge pulse has ended.
    ASSERT_TRUE(step_until([] { return cur_state != IO_STATE_COMM_RD_MB; }));
}

int IoCpuTest::receive_byte(int limit)
{
    if (!step_until([] { return cur_state == IO_STATE_COMM_SEND2; }, limit))
        return -1;
    int b = read_mailbox();
    portb(get_portb() | 0x02);
    EXPECT_TRUE(a0());
    portb(get_portb() & ~0x02);
    return b;
}

std::vector<std::vector<uint8_t>> IoCpuSoundTest::blocks;

void IoCpuSoundTest::SetUp()
{
    IoCpuTest::SetUp();
    blocks.clear();
    orv_host.sound_block = [](const unsigned char *block, int length) { blocks.emplace_back(block, block + length); };
}

void IoCpuSoundTest::TearDown()
{
    orv_host.sound_block = nullptr;
    IoCpuTest::TearDown();
}
