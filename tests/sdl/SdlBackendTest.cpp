// The SDL backend on SDL's dummy video driver: the screen it reports, the
// pixels Present puts on the window surface, events as the window system
// would deliver them, waking from another thread, hiding the cursor (the
// dummy driver makes no cursors, so their animation is tested on its own
// with the decoder) and a virtual joystick read from a second thread.
#include "platform/sdl/SdlBackend.h"

#include "tests/sdl/CursorBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <cstdlib>
#include <thread>

namespace kestrava::sdl {
namespace {

using app::Event;

class SdlBackendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::string error;
        ASSERT_TRUE(backend.Open(error)) << error;
    }
    void TearDown() override { backend.Close(); }

    // Drains what is queued so a test starts from nothing.
    void Drain()
    {
        while (backend.WaitEvent(0)) {
        }
    }

    static void PushKey(uint32_t type, SDL_Scancode sc, uint8_t repeat = 0)
    {
        SDL_Event e{};
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat;
        e.key.keysym.scancode = sc;
        SDL_PushEvent(&e);
    }

    std::optional<Event> Next() { return backend.WaitEvent(100); }

    SdlBackend backend;
};

TEST_F(SdlBackendTest, ReportsTheDummyDisplay)
{
    // SDL's dummy display is 1024 x 768 in a 24-bit RGB format.
    EXPECT_EQ(backend.ScreenWidth(), 1024);
    EXPECT_EQ(backend.ScreenHeight(), 768);
    EXPECT_EQ(backend.BitsPerPixel(), 24);
    EXPECT_EQ(backend.Path(), PresentPath::WindowSurface);
}

TEST_F(SdlBackendTest, PresentCopiesExactlyTheDirtyRectangles)
{
    SDL_Window* window = SDL_GetWindowFromID(1);
    ASSERT_NE(window, nullptr);
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->format->BytesPerPixel, 4);
    auto surfacePixel = [&](int x, int y) {
        auto* row = static_cast<uint8_t*>(surface->pixels) + y * surface->pitch;
        return reinterpret_cast<uint32_t*>(row)[x] & 0x00FFFFFFu;
    };

    gdi::Bitmap back(backend.ScreenWidth(), backend.ScreenHeight());
    back.Fill(0xFF102030u);
    backend.Present(back, {{0, 0, back.Width(), back.Height()}});
    EXPECT_EQ(surfacePixel(500, 400), 0x102030u);

    back.Fill(0xFFA0B0C0u);
    // One rectangle inside, one hanging over the bottom-right corner, one
    // wholly outside and one empty: only the visible parts may change.
    backend.Present(back, {{10, 20, 40, 30}, {1000, 760, 1100, 800}, {2000, 0, 2100, 10}, {5, 5, 5, 50}});
    for (int y = 0; y < back.Height(); ++y)
        for (int x = 0; x < back.Width(); ++x) {
            bool inside = (x >= 10 && x < 40 && y >= 20 && y < 30) || (x >= 1000 && y >= 760);
            ASSERT_EQ(surfacePixel(x, y), inside ? 0xA0B0C0u : 0x102030u) << x << "," << y;
        }

    // Nothing to present and an empty back buffer are no-ops, not faults.
    backend.Present(back, {});
    backend.Present(gdi::Bitmap(), {{0, 0, 10, 10}});
    EXPECT_EQ(surfacePixel(500, 400), 0x102030u);
}

TEST_F(SdlBackendTest, KeysBecomeVirtualKeysWithRepeatAndControlCharacters)
{
    Drain();
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_7);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_7); // held: SDL's repeat flag not set, still a repeat
    PushKey(SDL_KEYUP, SDL_SCANCODE_KP_7);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_F1, 1);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_AUDIOPLAY); // no virtual key: dropped
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE);

    auto e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, Event::Type::KeyDown);
    EXPECT_EQ(e->key, 103u);
    EXPECT_FALSE(e->repeat);
    e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->key, 103u);
    EXPECT_TRUE(e->repeat);
    e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, Event::Type::KeyUp);
    EXPECT_EQ(e->key, 103u);
    e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->key, 112u);
    EXPECT_TRUE(e->repeat);
    e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, Event::Type::KeyDown);
    EXPECT_EQ(e->key, 13u);
    e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, Event::Type::Char);
    EXPECT_EQ(e->ch, 13);
    e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->key, 27u);
    e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, Event::Type::Char);
    EXPECT_EQ(e->ch, 27);
}

TEST_F(SdlBackendTest, TextMouseAndWindowEvents)
{
    Drain();
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    std::strcpy(text.text.text, "\xC3\xA4\xE2\x82\xAC"); // ä and the euro sign
    SDL_PushEvent(&text);
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_RIGHT;
    click.button.clicks = 2;
    click.button.x = 7;
    click.button.y = 9;
    SDL_PushEvent(&click);
    click.button.clicks = 3; // a triple click is a plain press again
    SDL_PushEvent(&click);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 1;
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    SDL_PushEvent(&wheel);
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&focus);

    auto e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, Event::Type::Char);
    EXPECT_EQ(e->ch, 228);
    e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->ch, 0x80);
    e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, Event::Type::MouseDouble);
    EXPECT_EQ(e->button, app::MouseButton::Right);
    EXPECT_EQ(e->x, 7);
    EXPECT_EQ(e->y, 9);
    e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, Event::Type::MouseDown);
    e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, Event::Type::MouseWheel);
    EXPECT_EQ(e->wheel, -1);
    e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, Event::Type::Deactivate);
}

TEST_F(SdlBackendTest, WakeEndsAnEndlessWaitFromAnotherThread)
{
    Drain();
    auto start = std::chrono::steady_clock::now();
    std::thread waker([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        for (int i = 0; i < 1000; ++i) // a burst must not flood the queue
            backend.Wake();
    });
    EXPECT_FALSE(backend.WaitEvent(-1));
    waker.join();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
    // At most one wake was left queued; after it the queue is quiet again.
    int wakes = 0;
    for (int i = 0; i < 5; ++i)
        if (!backend.WaitEvent(0))
            ++wakes;
    EXPECT_EQ(wakes, 5);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A);
    auto e = Next();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->key, 65u);
}

TEST_F(SdlBackendTest, HiddenCursorAndUnreadableFiles)
{
    auto none = backend.LoadStandardCursor(app::StandardCursor::None);
    ASSERT_NE(none, nullptr);
    backend.SetCursor(none);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    backend.SetCursor(nullptr); // back to the system's default, visible again
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(backend.LoadCursorFile("/nonexistent/HAND.CUR"), nullptr);
    // A sequence naming a frame that is not there never reaches SDL.
    CursorImage bad;
    bad.frames.resize(1);
    bad.frames[0].image.SetSize(2, 2);
    bad.steps = {{0, 1}, {1, 1}};
    EXPECT_EQ(backend.MakeCursor(bad), nullptr);
}

TEST_F(SdlBackendTest, JoysticksAreReadByIndexFromAnyThread)
{
    EXPECT_FALSE(backend.ReadJoystick(0).present);
    EXPECT_FALSE(backend.ReadJoystick(-1).present);
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
    if (index < 0)
        GTEST_SKIP() << "no virtual joysticks in this SDL: " << SDL_GetError();
    ASSERT_EQ(index, 0);
    SDL_Joystick* handle = SDL_JoystickOpen(0);
    ASSERT_NE(handle, nullptr);
    SDL_JoystickSetVirtualAxis(handle, 0, 1000);
    SDL_JoystickSetVirtualAxis(handle, 1, -2000);
    SDL_JoystickSetVirtualButton(handle, 2, SDL_PRESSED);
    backend.WaitEvent(0); // the user-interface thread's pump takes the new values

    app::JoystickState state;
    std::thread reader([&] { state = backend.ReadJoystick(0); });
    reader.join();
    EXPECT_TRUE(state.present);
    EXPECT_EQ(state.xMin, -32768);
    EXPECT_EQ(state.xMax, 32767);
    EXPECT_EQ(state.x, 1000);
    EXPECT_EQ(state.y, -2000);
    EXPECT_FALSE(state.buttons[0]);
    EXPECT_TRUE(state.buttons[2]);
    EXPECT_FALSE(backend.ReadJoystick(1).present);

    // Reads from a polling thread while the event pump runs must not race.
    std::atomic<bool> stop{false};
    std::thread poller([&] {
        while (!stop)
            EXPECT_TRUE(backend.ReadJoystick(0).present);
    });
    for (int i = 0; i < 50; ++i) {
        SDL_JoystickSetVirtualAxis(handle, 0, int16_t(i * 100));
        backend.WaitEvent(1);
    }
    stop = true;
    poller.join();
    EXPECT_EQ(backend.ReadJoystick(0).x, 4900);
    SDL_JoystickClose(handle);
    SDL_JoystickDetachVirtual(0);
    backend.WaitEvent(0);
    EXPECT_FALSE(backend.ReadJoystick(0).present);
}

} // namespace
} // namespace kestrava::sdl
