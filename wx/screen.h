// The picture as the window shows it: an SDL surface of 640 x 500 pixels,
// 24 bits a pixel, each machine dot a 2 x 2 square.
//
// The surface keeps SDL's default layout for 24 bits (red in bits 16 to 23),
// so a pixel lies in memory as blue, green, red. The window reads the bytes
// in memory order as red, green, blue, which is why the colour table below
// holds every colour with red and blue exchanged: the two exchanges cancel.
#pragma once

#include <SDL.h>

namespace wxo {

// Colour number -> colour as stored (red and blue exchanged).
extern const SDL_Color orv_col[8];

} // namespace wxo

constexpr int SCREEN_WIDTH = 640;
constexpr int SCREEN_HEIGHT = 500;

// The surface to show; null until the first frame is drawn.
extern SDL_Surface *ScreenBuffer;

// Maps `colour` for the surface and writes the 2 x 2 pixels of dot (x, y),
// for surfaces of 1 to 4 bytes a pixel; other depths write nothing.
void putpixel(SDL_Surface *surface, unsigned short x, unsigned short y, SDL_Color colour);

// Creates the screen surface once. Returns false when SDL cannot.
bool screen_create();
// A frame has been drawn (the frame loop's `frame_ready` hook): the surface
// becomes the one to show.
void screen_frame_ready();
// Fills the surface from the machine's last picture if a frame came since
// the last fill: several frames between two repaints cost one fill. Returns
// false while there is nothing to show.
bool screen_update();
// Frees the surfaces.
void screen_free();
