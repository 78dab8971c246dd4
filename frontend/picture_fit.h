// Where the machine's picture goes in a window or on a screen: the 320 x
// 250 picture as large as the area allows with its proportions kept, centred,
// the rest of the area black. With integer scaling the picture takes only
// whole multiples of its size (1x, 2x ...), so that every machine dot has
// the same number of host pixels; an area smaller than 1x still shows the
// whole picture, shrunk.
//
// The window's scale (1x to 4x) is the size of the picture in a window:
// 640 x 500 (2x) by default.
#pragma once

constexpr int PICTURE_WIDTH = 320;
constexpr int PICTURE_HEIGHT = 250;
constexpr int PICTURE_SCALE_MIN = 1;
constexpr int PICTURE_SCALE_MAX = 4;

struct picture_rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const picture_rect &other) const = default;
};

// The picture's place in an area `area_w` x `area_h` (empty for an empty area).
picture_rect picture_fit(int area_w, int area_h, bool integer_scaling);

// The scale `step` steps from `scale` (+1 bigger, -1 smaller), kept within
// 1x to 4x.
int picture_scale_step(int scale, int step);
