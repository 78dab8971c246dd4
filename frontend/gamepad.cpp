#include "gamepad.h"

#include <algorithm>
#include <iterator>

void gamepad::set_button(int n, bool down)
{
    if (n >= 0 && n < PAD_BUTTONS)
        buttons_[n] = down;
}

void gamepad::set_axis(int axis, int value)
{
    if (axis < 0 || axis > 1)
        return;
    axis_[axis] = value;
    // Past half-way a direction goes down; it comes up below a third.
    int negative = axis == 0 ? 2 : 0;  // left or up
    int positive = negative + 1;        // right or down
    if (value <= -AXIS_PRESS)
        stick_[negative] = true;
    else if (value > -AXIS_RELEASE)
        stick_[negative] = false;
    if (value >= AXIS_PRESS)
        stick_[positive] = true;
    else if (value < AXIS_RELEASE)
        stick_[positive] = false;
}

void gamepad::set_hat(bool up, bool down, bool left, bool right)
{
    hat_[0] = up;
    hat_[1] = down;
    hat_[2] = left;
    hat_[3] = right;
}

void gamepad::disconnect()
{
    // What the queue heard stays, so that the next poll releases it.
    gamepad none;
    std::copy(std::begin(sent_), std::end(sent_), std::begin(none.sent_));
    *this = none;
}

bool gamepad::stick_down(int direction) const
{
    return stick_[direction];
}

bool gamepad::down(int input) const
{
    if (input >= PAD_UP && input <= PAD_RIGHT) {
        int d = input - PAD_UP;
        return hat_[d] || stick_down(d);
    }
    if (input >= PAD_BUTTON_1 && input < PAD_INPUT_END)
        return buttons_[input - PAD_BUTTON_1];
    return false;
}

void gamepad::poll(key_queue &keys)
{
    for (int input = PAD_UP; input < PAD_INPUT_END; input++) {
        bool &sent = sent_[input - PAD_UP];
        if (sent && !down(input)) {
            keys.key_up(input);
            sent = false;
        }
    }
    for (int input = PAD_UP; input < PAD_INPUT_END; input++) {
        bool &sent = sent_[input - PAD_UP];
        if (!sent && down(input)) {
            keys.key_down(input);
            sent = true;
        }
    }
}
