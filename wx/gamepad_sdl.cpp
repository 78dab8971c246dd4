#include "gamepad_sdl.h"

#include <SDL.h>

#include <chrono>

namespace {

bool started;
SDL_GameController *controller;
std::chrono::steady_clock::time_point next_look;

void find_controller()
{
    auto now = std::chrono::steady_clock::now();
    if (now < next_look)
        return;
    next_look = now + std::chrono::seconds(1);
    SDL_JoystickUpdate();
    for (int i = 0; i < SDL_NumJoysticks(); i++) {
        if (!SDL_IsGameController(i))
            continue;
        controller = SDL_GameControllerOpen(i);
        if (controller)
            return;
    }
}

} // namespace

std::string gamepad_sdl_open()
{
    if (started)
        return "";
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) < 0)
        return std::string("no gamepad: ") + SDL_GetError();
    started = true;
    return "";
}

void gamepad_sdl_poll(gamepad &pad)
{
    if (!started)
        return;
    if (!controller) {
        find_controller();
        if (!controller)
            return;
    }
    SDL_GameControllerUpdate();
    if (!SDL_GameControllerGetAttached(controller)) {
        SDL_GameControllerClose(controller);
        controller = nullptr;
        pad.disconnect();
        return;
    }
    auto button = [](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(controller, b) != 0; };
    pad.set_hat(button(SDL_CONTROLLER_BUTTON_DPAD_UP), button(SDL_CONTROLLER_BUTTON_DPAD_DOWN),
                button(SDL_CONTROLLER_BUTTON_DPAD_LEFT), button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT));
    pad.set_axis(0, SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
    pad.set_axis(1, SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
    // SDL's buttons in its order, up to the shoulders; the d-pad is the hat.
    for (int b = SDL_CONTROLLER_BUTTON_A; b <= SDL_CONTROLLER_BUTTON_RIGHTSHOULDER; b++)
        pad.set_button(b, button(static_cast<SDL_GameControllerButton>(b)));
}

std::string gamepad_sdl_name()
{
    const char *name = controller ? SDL_GameControllerName(controller) : nullptr;
    return name ? name : "";
}

void gamepad_sdl_close()
{
    if (controller)
        SDL_GameControllerClose(controller);
    controller = nullptr;
    if (started)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    started = false;
}
