// The sound path under ThreadSanitizer: the machine's side publishes blocks
// into the ring on this thread while SDL's audio thread (disk driver, no
// delay) plays them. Every block carries its own byte value; the file SDL
// writes must hold every block whole and in order, as the program's sound
// filter shapes it, with only silence between them. A race makes
// ThreadSanitizer fail the run.
//
// usage: sound_race OUTPUT.raw
#include "wx/sound_ring.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int BLOCKS = 600;

unsigned char block_value(int k)
{
    return static_cast<unsigned char>(k % 120 + 1);  // never 0x80, the silence
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: sound_race OUTPUT.raw\n");
        return 2;
    }
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", argv[1], 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    bool init_failed;
    std::string error = sound_open(init_failed);
    if (!error.empty()) {
        std::fprintf(stderr, "sound_race: %s", error.c_str());
        return 1;
    }

    unsigned char block[ACD_BLOCK_SIZE];
    for (int k = 0; k < BLOCKS; k++) {
        // Wait for room, as a machine paced by the sound device would.
        while (acd->play_pos[acd->write_index.load()].load() >= 0 &&
               acd->play_pos[acd->write_index.load()].load() < ACD_BLOCK_SIZE)
            SDL_Delay(1);
        for (auto &b : block)
            b = block_value(k);
        acd_sound_block(block, ACD_BLOCK_SIZE);
    }
    for (int wait = 0; wait < 5000 && acd->played.load() < BLOCKS; wait++)
        SDL_Delay(1);
    long played = acd->played.load(), dropped = acd->dropped.load();
    sound_close();

    FILE *f = std::fopen(argv[1], "rb");
    if (!f) {
        std::perror(argv[1]);
        return 1;
    }
    std::vector<unsigned char> file;
    for (int c; (c = std::fgetc(f)) != EOF;)
        file.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
    if (played != BLOCKS || dropped != 0) {
        std::fprintf(stderr, "sound_race: %ld blocks played, %ld dropped; expected %d blocks\n", played, dropped,
                     BLOCKS);
        return 1;
    }

    // The device asks for a block's worth each time: the file is made of
    // whole blocks, each the next one expected or a silence.
    sound_filter shaping;
    int next = 0;
    std::vector<unsigned char> expected(ACD_BLOCK_SIZE, block_value(0));
    shaping.process(expected.data(), ACD_BLOCK_SIZE);
    // The device takes half a block at a time: a silence comes in halves.
    size_t at = 0;
    while (at + ACD_DEVICE_SAMPLES <= file.size()) {
        const unsigned char *chunk = file.data() + at;
        if (next < BLOCKS && at + ACD_BLOCK_SIZE <= file.size() &&
            std::equal(expected.begin(), expected.end(), chunk)) {
            if (++next < BLOCKS) {
                std::fill(expected.begin(), expected.end(), block_value(next));
                shaping.process(expected.data(), ACD_BLOCK_SIZE);
            }
            at += ACD_BLOCK_SIZE;
            continue;
        }
        if (std::all_of(chunk, chunk + ACD_DEVICE_SAMPLES, [](unsigned char c) { return c == 0x80; })) {
            at += ACD_DEVICE_SAMPLES;
            continue;
        }
        std::fprintf(stderr, "sound_race: bytes %zu to %zu of the sound are neither block %d nor silence\n", at,
                     at + ACD_DEVICE_SAMPLES - 1, next);
        return 1;
    }
    if (next != BLOCKS) {
        std::fprintf(stderr, "sound_race: %d blocks heard whole; expected %d\n", next, BLOCKS);
        return 1;
    }
    std::printf("sound_race: %d blocks played whole and in order\n", BLOCKS);
    return 0;
}
