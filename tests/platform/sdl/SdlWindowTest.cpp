// The SDL window on the offscreen driver: the back buffer's size from the options, the
// events it reports, and the message when video cannot start.
#include "core/Error.h"
#include "platform/Platform.h"
#include "platform/Window.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace zamp {
namespace {

WindowOptions offscreen(bool windowed, int width, int height, int backBufferWidth = 0, int backBufferHeight = 0) {
    WindowOptions o;
    o.title = "test";
    o.offscreen = true;
    o.windowed = windowed;
    o.width = width, o.height = height;
    o.backBufferWidth = backBufferWidth, o.backBufferHeight = backBufferHeight;
    return o;
}

TEST(SdlWindow, TheBackBufferTakesItsSizeFromTheOptions) {
    struct Case {
        const char* name;
        WindowOptions options;
        int width, height; // 0: the desktop's
    } cases[] = {
        {"windowed: the window's size", offscreen(true, 320, 200), 320, 200},
        {"windowed with a back buffer size", offscreen(true, 320, 200, 96, 40), 96, 40},
        {"full screen: the desktop's size", offscreen(false, 320, 200), 0, 0},
        {"full screen with a back buffer size", offscreen(false, 320, 200, 50, 70), 50, 70},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<Window> window = openWindow(c.options);
        SDL_DisplayMode desktop{};
        ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
        const RgbImage image = window->device().readRenderTarget();
        EXPECT_EQ(image.width, c.width ? c.width : desktop.w);
        EXPECT_EQ(image.height, c.height ? c.height : desktop.h);
    }
}

TEST(SdlWindow, QuitRequestsKeysAndEscapeArriveOnce) {
    const std::unique_ptr<Window> window = openWindow(offscreen(true, 64, 64));
    WindowEvent taken;
    while (window->pollEvent(taken)) {
    } // whatever the driver queued at start
    EXPECT_FALSE(window->escapeState());

    struct Case {
        const char* name;
        SDL_Event event;
        bool quit, escape;
        Key key;
        bool shift;
    };
    SDL_Event quitEvent{}, close{}, space{}, shiftedRight{}, otherKey{}, escape{};
    quitEvent.type = SDL_QUIT;
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    space.type = shiftedRight.type = otherKey.type = escape.type = SDL_KEYDOWN;
    space.key.keysym.sym = SDLK_SPACE;
    shiftedRight.key.keysym.sym = SDLK_RIGHT;
    shiftedRight.key.keysym.mod = KMOD_LSHIFT;
    otherKey.key.keysym.sym = SDLK_q;
    escape.key.keysym.sym = SDLK_ESCAPE;
    for (const Case& c : {Case{"quit", quitEvent, true, false, Key::Other, false},
                          Case{"window closed", close, true, false, Key::Other, false},
                          Case{"space", space, false, false, Key::Space, false},
                          Case{"shift right", shiftedRight, false, false, Key::Right, true},
                          Case{"another key", otherKey, false, false, Key::Other, false},
                          Case{"escape", escape, false, true, Key::Escape, false}}) {
        SCOPED_TRACE(c.name);
        SDL_Event event = c.event;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        WindowEvent e;
        EXPECT_TRUE(window->pollEvent(e));
        EXPECT_EQ(e.quit, c.quit);
        EXPECT_EQ(e.key, c.key);
        EXPECT_EQ(e.shift, c.shift);
        EXPECT_FALSE(window->pollEvent(e)) << "one event, taken once";
        EXPECT_EQ(window->escapeState(), c.escape);
        EXPECT_FALSE(window->escapeState()) << "a press counts once";
    }
}

TEST(SdlWindow, VideoThatCannotStartEndsWithTheDevicesMessage) {
    const char* before = std::getenv("SDL_VIDEODRIVER");
    const std::string kept = before ? before : "";
    ::setenv("SDL_VIDEODRIVER", "zamp-no-such-driver", 1);
    WindowOptions shown = offscreen(true, 64, 64);
    shown.offscreen = false; // a window for a display
    std::string message;
    try {
        openWindow(shown);
    } catch (const Error& e) {
        message = e.message();
    }
    // Drawing off screen chooses its own driver, whatever the variable says.
    EXPECT_NO_THROW(openWindow(offscreen(true, 16, 16)));
    if (before)
        ::setenv("SDL_VIDEODRIVER", kept.c_str(), 1);
    else
        ::unsetenv("SDL_VIDEODRIVER");
    EXPECT_EQ(message.rfind("Direct3DCreate9() Failed. (", 0), 0u) << message;
    // Nothing was left behind: a window opens again.
    EXPECT_NO_THROW(openWindow(offscreen(true, 16, 16)));
}

} // namespace
} // namespace zamp
