#include "screen.h"

#include "core/tms3556.h"

namespace wxo {

const SDL_Color orv_col[8] = {
    {0, 0, 0, 0},        // black
    {0, 0, 255, 0},      // red
    {0, 255, 0, 0},      // green
    {0, 255, 255, 0},    // yellow
    {255, 0, 0, 0},      // blue
    {255, 0, 255, 0},    // magenta
    {255, 255, 0, 0},    // cyan
    {255, 255, 255, 0},  // white
};

} // namespace wxo

SDL_Surface *ScreenBuffer;

namespace {

SDL_Surface *screen_surface;
bool picture_new;  // a frame was drawn since the surface was last filled

void put_one(Uint8 *p, int bytes, Uint32 pixel)
{
    switch (bytes) {
    case 1: *p = static_cast<Uint8>(pixel); break;
    case 2: *reinterpret_cast<Uint16 *>(p) = static_cast<Uint16>(pixel); break;
    case 3:
        p[0] = static_cast<Uint8>(pixel);
        p[1] = static_cast<Uint8>(pixel >> 8);
        p[2] = static_cast<Uint8>(pixel >> 16);
        break;
    case 4: *reinterpret_cast<Uint32 *>(p) = pixel; break;
    default: break;
    }
}

} // namespace

void putpixel(SDL_Surface *surface, unsigned short x, unsigned short y, SDL_Color colour)
{
    int bytes = surface->format->BytesPerPixel;
    if (bytes < 1 || bytes > 4)
        return;
    Uint32 pixel = SDL_MapRGB(surface->format, colour.r, colour.g, colour.b);
    auto *row = static_cast<Uint8 *>(surface->pixels) + 2 * y * surface->pitch;
    for (int dy = 0; dy < 2; dy++, row += surface->pitch) {
        put_one(row + 2 * x * bytes, bytes, pixel);
        put_one(row + (2 * x + 1) * bytes, bytes, pixel);
    }
}

bool screen_create()
{
    if (!screen_surface)
        screen_surface = SDL_CreateRGBSurface(0, SCREEN_WIDTH, SCREEN_HEIGHT, 24, 0, 0, 0, 0);
    return screen_surface != nullptr;
}

void screen_frame_ready()
{
    if (!screen_surface)
        return;
    if (ScreenBuffer && ScreenBuffer != screen_surface)
        SDL_FreeSurface(ScreenBuffer);  // the placeholder made before the first frame
    ScreenBuffer = screen_surface;
    picture_new = true;
}

bool screen_update()
{
    if (!screen_surface || ScreenBuffer != screen_surface)
        return false;
    if (!picture_new)
        return true;
    if (SDL_MUSTLOCK(screen_surface) && SDL_LockSurface(screen_surface) < 0)
        return false;
    for (int y = 0; y < TMS3556_HEIGHT; y++)
        for (int x = 0; x < TMS3556_WIDTH; x++)
            putpixel(screen_surface, static_cast<unsigned short>(x), static_cast<unsigned short>(y),
                     wxo::orv_col[tms3556_screen[y][x] & 7]);
    if (SDL_MUSTLOCK(screen_surface))
        SDL_UnlockSurface(screen_surface);
    picture_new = false;
    return true;
}

void screen_free()
{
    if (ScreenBuffer && ScreenBuffer != screen_surface)
        SDL_FreeSurface(ScreenBuffer);
    SDL_FreeSurface(screen_surface);
    screen_surface = nullptr;
    ScreenBuffer = nullptr;
}
