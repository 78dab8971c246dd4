// Commands, block replies and idle reports of the I/O processor, with the
// main processor's side played by the test.
#include "iocpu_support.h"

#include "core/iocpu.h"
#include "core/memory.h"
#include "core/trace.h"

#include <algorithm>

namespace {

class IoCommandTest : public IoCpuTest {
protected:
    void SetUp() override
    {
        IoCpuTest::SetUp();
        // A ROM image whose every byte tells its offset apart from its neighbours.
        for (int i = 0; i < 4096; i++)
            rom_7041[i] = static_cast<uint8_t>((i * 7 + (i >> 8)) & 0xFF);
        trace_iocpu();
        io_cpu_callback(0);
        greet();
    }

    // Receives one reply or report: bytes until the I/O side is back in
    // "ready". Empty when nothing comes.
    static std::vector<int> receive_reply()
    {
        std::vector<int> bytes;
        for (int b; (b = receive_byte()) >= 0;) {
            bytes.push_back(b);
            if (cur_state == IO_STATE_READY)
                break;
        }
        return bytes;
    }
};

} // namespace

TEST_F(IoCommandTest, BlockReplyACarriesHeaderAndRomBytes1826To3096)
{
    send_byte(0x0B);
    EXPECT_EQ(log_lines("Logo or char send").size(), 1u);
    std::vector<int> got = receive_reply();
    ASSERT_EQ(got.size(), 1274u);
    EXPECT_EQ(got[0], 0x07);
    EXPECT_EQ(got[1], 0x04);
    EXPECT_EQ(got[2], 0xF6);
    for (int n = 4; n <= 1274; n++)
        ASSERT_EQ(got[n - 1], rom_7041[1822 + n]) << n;
    EXPECT_EQ(got.back(), rom_7041[3096]);
    EXPECT_EQ(receive_byte(), -1);
}

TEST_F(IoCommandTest, BlockReplyBStartsWhereAEnds)
{
    send_byte(0x0D);
    std::vector<int> got = receive_reply();
    ASSERT_EQ(got.size(), 985u);
    EXPECT_EQ((std::vector<int>{got[0], got[1], got[2]}), (std::vector<int>{0x07, 0x03, 0xD5}));
    EXPECT_EQ(got[3], rom_7041[3096]);
    for (int n = 4; n <= 985; n++)
        ASSERT_EQ(got[n - 1], rom_7041[3092 + n]) << n;
}

TEST_F(IoCommandTest, KeyReportsTheLatestCodeOnce)
{
    send_key(0x41);
    EXPECT_EQ(receive_reply(), (std::vector<int>{0x01, 0x41}));

    // No queue: the second key replaces the first before the poll.
    send_key(0x30);
    send_key(0x31);
    EXPECT_EQ(receive_reply(), (std::vector<int>{0x01, 0x31}));
    step(1000);
    EXPECT_EQ(receive_byte(), -1);

    // The joystick poll answers with the last key again.
    send_byte(0x02);
    EXPECT_EQ(receive_reply(), (std::vector<int>{0x01, 0x31}));
    send_byte(0x03);
    EXPECT_EQ(receive_byte(), -1);
}

TEST_F(IoCommandTest, PendingReportsGoOutOneAtATimeByPriority)
{
    tms7041.flags = SERIAL_CHECK | SPEECH_LOW | KEY_PENDING;
    tms7041.speech_status = SPEECH_END;
    tms7041.key_code = 0x55;
    EXPECT_EQ(receive_reply(), (std::vector<int>{0x01, 0x55}));
    // The end of speech also clears the low level: one report for both.
    EXPECT_EQ(receive_reply(), (std::vector<int>{0x04}));
    EXPECT_EQ(receive_reply(), (std::vector<int>{0x09}));
    step(1000);
    EXPECT_EQ(receive_byte(), -1);
    EXPECT_EQ(tms7041.flags, 0);
    EXPECT_EQ(tms7041.speech_status, 0);
    EXPECT_EQ(log_lines("Polled"), (std::vector<std::string>{
                                        "io_cpu_state_poll():Polled char",
                                        "io_cpu_state_poll():Polled end",
                                        "io_cpu_state_poll():Polled serial init",
                                    }));

    tms7041.flags = SPEECH_LOW;
    EXPECT_EQ(receive_reply(), (std::vector<int>{0x03}));
    send_byte(0x04);
    EXPECT_EQ(receive_reply(), (std::vector<int>{0x09}));
}

TEST_F(IoCommandTest, UnknownCommandsRestartTheGreeting)
{
    for (int cmd : {0x00, 0x07, 0x0C, 0x0E, 0xFE}) {
        clear_log_str();
        send_byte(static_cast<unsigned char>(cmd));
        EXPECT_EQ(cur_state, IO_STATE_RESET) << cmd;
        EXPECT_TRUE(a0());
        EXPECT_EQ(log_lines("io_cpu_state_comm_F1C8():").back(), "io_cpu_state_comm_F1C8():RESET");
        greet();
    }
    // Commands that do nothing keep the idle cycle.
    clear_log_str();
    for (int cmd : {0x03, 0x05, 0x06, 0xFF}) {
        send_byte(static_cast<unsigned char>(cmd));
        EXPECT_EQ(cur_state, IO_STATE_READY) << cmd;
    }
    EXPECT_EQ(log_lines("RESET").size(), 0u);
    EXPECT_EQ(log_lines("io_cpu_state_comm_F1C8():command "),
              (std::vector<std::string>{"io_cpu_state_comm_F1C8():command 3",
                                        "io_cpu_state_comm_F1C8():command 5",
                                        "io_cpu_state_comm_F1C8():command 6",
                                        "io_cpu_state_comm_F1C8():command ff"}));
}

TEST_F(IoCommandTest, KeyWaitsWhileSpeechDataIsCollected)
{
    send_byte(0x0A);
    send_byte(0x00);
    send_byte(0x00);
    send_key(0x41);
    step(2000);
    EXPECT_EQ(receive_byte(), -1);
    EXPECT_FALSE(log_lines("poll disabled by comm").empty());
    for (int i = 0; i < 6; i++)
        send_byte(0x00);
    EXPECT_EQ(log_lines("read "), std::vector<std::string>{"io_cpu_state_comm_F1C8():read 8 char OK"});
    EXPECT_EQ(tms7041.data_count, 0);
    // The next byte is a command again.
    send_byte(0x04);
    EXPECT_EQ(log_lines("check serial").size(), 1u);
    // The key goes first; the serial report follows (the synthesizer, now
    // speaking, may slip its own reports in between).
    EXPECT_EQ(receive_reply(), (std::vector<int>{0x01, 0x41}));
    std::vector<int> got;
    for (std::vector<int> r; !(r = receive_reply()).empty();)
        got.insert(got.end(), r.begin(), r.end());
    EXPECT_NE(std::find(got.begin(), got.end(), 0x09), got.end());
}
