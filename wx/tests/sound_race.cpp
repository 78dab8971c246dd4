// The sound path under ThreadSanitizer: the machine's side publishes blocks
// into the ring on this thread while SDL's audio thread (disk driver, no
// delay) plays them. Every block carries its own byte value; the file SDL
// writes must hold every block whole and in order, with only silence
// between them. A race makes ThreadSanitizer fail the run.
//
// usage: sound_race OUTPUT.raw
#include "wx/sound_ring.h"

#include <SDL.h>

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
    std::vector<unsigned char> heard;
    for (int c; (c = std::fgetc(f)) != EOF;)
        if (c != 0x80)
            heard.push_back(static_cast<unsigned char>(c));
    std::fclose(f);

    if (played != BLOCKS || dropped != 0 || heard.size() != static_cast<size_t>(BLOCKS) * ACD_BLOCK_SIZE) {
        std::fprintf(stderr, "sound_race: %ld blocks played, %ld dropped, %zu bytes heard; expected %d blocks\n",
                     played, dropped, heard.size(), BLOCKS);
        return 1;
    }
    for (size_t i = 0; i < heard.size(); i++) {
        if (heard[i] != block_value(static_cast<int>(i / ACD_BLOCK_SIZE))) {
            std::fprintf(stderr, "sound_race: byte %zu of the sound is %d, expected %d\n", i, heard[i],
                         block_value(static_cast<int>(i / ACD_BLOCK_SIZE)));
            return 1;
        }
    }
    std::printf("sound_race: %d blocks played whole and in order\n", BLOCKS);
    return 0;
}
