#include "tms5220_fixture.h"
#include "core/host.h"

std::vector<std::vector<uint8_t>> Tms5220Test::blocks;

void Tms5220Test::SetUp()
{
    CoreTest::SetUp();
    blocks.clear();
    orv_host.sound_block = record;
}

void Tms5220Test::TearDown()
{
    orv_host.sound_block = nullptr;
    CoreTest::TearDown();
}

void Tms5220Test::record(const unsigned char *block, int length)
{
    blocks.emplace_back(block, block + length);
}

void Tms5220Test::send(const std::vector<uint8_t> &bytes)
{
    for (uint8_t b : bytes)
        speech_write_data(b);
}

int Tms5220Test::run(int count)
{
    int first = speech_do();
    for (int i = 1; i < count; i++)
        speech_do();
    return first;
}

int Tms5220Test::play_frame()
{
    int first = speech_do();
    for (int i = 1; i < TMS5220_BLOCK_SAMPLES; i++) {
        int r = speech_do();
        EXPECT_EQ(r, 2) << "sample " << i;
        if (r != 2)
            break;
    }
    return first;
}
