// The SDL2 backend; see SdlBackend.h for what it covers and lacks.
#include "platform/sdl/SdlBackend.h"

#include "platform/sdl/KeyTable.h"
#include "platform/sdl/NumLock.h"
#include "platform/app/TerminationSignals.h"
#include "protocol/MyMessages.h"

#include <algorithm>
#include <cstring>

namespace kestrava::sdl {

using app::Event;

class SdlBackend::SdlCursor final : public app::Cursor {
public:
    ~SdlCursor() override
    {
        if (!session.expired())
            for (SDL_Cursor* c : frames)
                SDL_FreeCursor(c);
    }
    std::weak_ptr<int> session;
    std::vector<SDL_Cursor*> frames; // empty: the hidden cursor
    std::vector<CursorStep> steps;
};

namespace {

app::Modifiers ModifiersOf(uint16_t mod)
{
    app::Modifiers m;
    m.shift = (mod & KMOD_SHIFT) != 0;
    m.ctrl = (mod & KMOD_CTRL) != 0;
    m.alt = (mod & KMOD_ALT) != 0;
    return m;
}

} // namespace

SdlBackend::SdlBackend(PresentPath path) : m_path(path) {}

SdlBackend::~SdlBackend() { Close(); }

bool SdlBackend::Open(std::string& error)
{
    if (m_window)
        return true;
    // The program pauses a test when it loses the focus; it must not vanish
    // as well, as a full-screen window does by default.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // Joysticks are read by polling, as the system's joystick calls do,
    // whichever window has the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // SIGTERM and SIGINT are the program's own (TerminationSignals): SDL
    // would make them a close request, which the main window refuses.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (m_path == PresentPath::WindowSurface)
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    else
        SDL_ResetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        error = std::string("cannot start the video system: ") + SDL_GetError();
        return false;
    }
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        error = std::string("cannot read the display mode: ") + SDL_GetError();
        SDL_Quit();
        return false;
    }
    m_width = mode.w;
    m_height = mode.h;
    m_bitsPerPixel = int32_t(SDL_BITSPERPIXEL(mode.format));

    const int anywhere = int(SDL_WINDOWPOS_UNDEFINED_DISPLAY(0));
    m_window = SDL_CreateWindow("Kestrava", anywhere, anywhere, m_width, m_height,
                                SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS);
    if (!m_window) {
        error = std::string("cannot create the window: ") + SDL_GetError();
        SDL_Quit();
        return false;
    }
    if (m_path == PresentPath::Renderer) {
        m_renderer = SDL_CreateRenderer(m_window, -1, 0);
        m_texture = m_renderer ? SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                                   m_width, m_height)
                               : nullptr;
        if (!m_texture) {
            error = std::string("cannot create the renderer: ") + SDL_GetError();
            Close();
            return false;
        }
    }

    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) == 0) {
        std::lock_guard lock(m_joystickMutex);
        m_joysticksReady = true;
    } else {
        SDL_LogWarn(SDL_LOG_CATEGORY_APPLICATION, "no joysticks: %s", SDL_GetError());
    }

    m_wakeType = SDL_RegisterEvents(1);
    m_session = std::make_shared<int>(0);
    m_down = {};
    m_pending.clear();
    SDL_StartTextInput();
    return true;
}

void SdlBackend::Close()
{
    if (!m_window)
        return;
    {
        std::lock_guard lock(m_joystickMutex);
        for (auto& [id, joystick] : m_joysticks)
            SDL_JoystickClose(joystick);
        m_joysticks.clear();
        m_joysticksReady = false;
    }
    m_cursor.reset();
    m_session.reset();
    if (m_texture)
        SDL_DestroyTexture(m_texture);
    if (m_renderer)
        SDL_DestroyRenderer(m_renderer);
    SDL_DestroyWindow(m_window);
    m_texture = nullptr;
    m_renderer = nullptr;
    m_window = nullptr;
    m_wakeType = 0;
    m_wakePending = false;
    SDL_Quit();
}

std::optional<Event> SdlBackend::WaitEvent(int32_t timeoutMs)
{
    if (!m_pending.empty()) {
        Event e = m_pending.front();
        m_pending.pop_front();
        return e;
    }
    if (!m_window)
        return std::nullopt;
    const uint64_t start = SDL_GetTicks64();
    const uint64_t deadline = start + uint64_t(std::max(timeoutMs, 0));
    for (;;) {
        // A termination signal only leaves a note (a handler may not touch
        // SDL's queue), so the wait below is cut into short slices that
        // look at it: the program hears of the signal within 50 ms.
        if (!m_terminateSent && app::TerminationSignal() != 0) {
            m_terminateSent = true;
            Event out;
            out.type = Event::Type::Terminate;
            return out;
        }
        uint64_t now = SDL_GetTicks64();
        AnimateCursor(now);
        // Wait until the caller's deadline or the next cursor frame, whichever
        // comes first; -1 waits for ever.
        int64_t wait = timeoutMs < 0 ? -1 : int64_t(deadline > now ? deadline - now : 0);
        if (m_animation.Animated()) {
            const uint64_t ends = m_animation.StepEndsMs();
            auto untilFrame = int64_t(ends > now ? ends - now : 0);
            wait = wait < 0 ? untilFrame : std::min(wait, untilFrame);
        }
        constexpr int64_t kSignalSliceMs = 50;
        wait = wait < 0 ? kSignalSliceMs : std::min(wait, kSignalSliceMs);
        SDL_Event e;
        int got = wait < 0 ? SDL_WaitEvent(&e) : wait == 0 ? SDL_PollEvent(&e) : SDL_WaitEventTimeout(&e, int(wait));
        if (got) {
            if (e.type == m_wakeType.load()) {
                m_wakePending = false;
                return std::nullopt;
            }
            Translate(e);
            if (!m_pending.empty()) {
                Event out = m_pending.front();
                m_pending.pop_front();
                return out;
            }
            continue;
        }
        if (timeoutMs >= 0 && SDL_GetTicks64() >= deadline)
            return std::nullopt;
    }
}

void SdlBackend::Wake()
{
    uint32_t type = m_wakeType.load();
    if (type == 0 || type == uint32_t(-1))
        return;
    // One wake in the queue is enough; a burst of posts must not fill it.
    if (m_wakePending.exchange(true))
        return;
    SDL_Event e{};
    e.type = type;
    if (SDL_PushEvent(&e) != 1)
        m_wakePending = false;
}

void SdlBackend::Translate(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        SDL_Scancode sc = e.key.keysym.scancode;
        uint32_t vk = VirtualKeyOf(sc);
        bool down = e.type == SDL_KEYDOWN;
        bool wasDown = size_t(sc) < m_down.size() && m_down[size_t(sc)];
        if (size_t(sc) < m_down.size())
            m_down[size_t(sc)] = down;
        if (vk == 0)
            return;
        Event out;
        out.type = down ? Event::Type::KeyDown : Event::Type::KeyUp;
        out.key = vk;
        out.repeat = down && (e.key.repeat != 0 || wasDown);
        out.modifiers = ModifiersOf(e.key.keysym.mod);
        m_pending.push_back(out);
        if (!down)
            return;
        // These keys type a character on Windows but produce no text input.
        uint8_t ch = 0;
        switch (sc) {
        case SDL_SCANCODE_RETURN:
        case SDL_SCANCODE_KP_ENTER: ch = 13; break;
        case SDL_SCANCODE_ESCAPE: ch = 27; break;
        case SDL_SCANCODE_BACKSPACE: ch = 8; break;
        case SDL_SCANCODE_TAB: ch = 9; break;
        default: break;
        }
        if (ch != 0) {
            Event c;
            c.type = Event::Type::Char;
            c.ch = ch;
            c.modifiers = out.modifiers;
            m_pending.push_back(c);
        }
        return;
    }
    case SDL_TEXTINPUT: {
        app::Modifiers mods = ModifiersOf(uint16_t(SDL_GetModState()));
        for (char c : Utf8ToCp1252(e.text.text)) {
            Event out;
            out.type = Event::Type::Char;
            out.ch = uint8_t(c);
            out.modifiers = mods;
            m_pending.push_back(out);
        }
        return;
    }
    case SDL_MOUSEMOTION: {
        Event out;
        out.type = Event::Type::MouseMove;
        out.x = e.motion.x;
        out.y = e.motion.y;
        out.modifiers = ModifiersOf(uint16_t(SDL_GetModState()));
        m_pending.push_back(out);
        return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        Event out;
        switch (e.button.button) {
        case SDL_BUTTON_LEFT: out.button = app::MouseButton::Left; break;
        case SDL_BUTTON_RIGHT: out.button = app::MouseButton::Right; break;
        case SDL_BUTTON_MIDDLE: out.button = app::MouseButton::Middle; break;
        default: return;
        }
        // Windows alternates press, double click, press, double click; SDL
        // counts on (3 for a triple click), so every even count is a double.
        if (e.type == SDL_MOUSEBUTTONUP)
            out.type = Event::Type::MouseUp;
        else
            out.type = e.button.clicks >= 2 && e.button.clicks % 2 == 0 ? Event::Type::MouseDouble : Event::Type::MouseDown;
        out.x = e.button.x;
        out.y = e.button.y;
        out.modifiers = ModifiersOf(uint16_t(SDL_GetModState()));
        m_pending.push_back(out);
        return;
    }
    case SDL_MOUSEWHEEL: {
        Event out;
        out.type = Event::Type::MouseWheel;
        out.wheel = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        if (out.wheel == 0)
            return;
        out.x = e.wheel.mouseX;
        out.y = e.wheel.mouseY;
        out.modifiers = ModifiersOf(uint16_t(SDL_GetModState()));
        m_pending.push_back(out);
        return;
    }
    case SDL_WINDOWEVENT: {
        Event out;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED: out.type = Event::Type::Activate; break;
        case SDL_WINDOWEVENT_FOCUS_LOST: out.type = Event::Type::Deactivate; break;
        case SDL_WINDOWEVENT_MINIMIZED: out.type = Event::Type::Minimized; break;
        case SDL_WINDOWEVENT_RESTORED: out.type = Event::Type::Restored; break;
        // A new size means a new window surface with nothing on it.
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED: out.type = Event::Type::Expose; break;
        default: return;
        }
        m_pending.push_back(out);
        return;
    }
    case SDL_QUIT: {
        Event out;
        out.type = Event::Type::Quit;
        m_pending.push_back(out);
        return;
    }
    default: return;
    }
}

void SdlBackend::Present(const gdi::Bitmap& backBuffer, const std::vector<gdi::Rect>& dirty)
{
    if (!m_window || dirty.empty() || backBuffer.Empty())
        return;
    if (m_path == PresentPath::WindowSurface)
        PresentToSurface(backBuffer, dirty);
    else
        PresentToRenderer(backBuffer, dirty);
}

void SdlBackend::PresentToSurface(const gdi::Bitmap& backBuffer, const std::vector<gdi::Rect>& dirty)
{
    SDL_Surface* surface = SDL_GetWindowSurface(m_window);
    if (!surface) {
        SDL_LogWarn(SDL_LOG_CATEGORY_APPLICATION, "no window surface: %s", SDL_GetError());
        return;
    }
    const gdi::Rect bounds{0, 0, std::min(backBuffer.Width(), surface->w), std::min(backBuffer.Height(), surface->h)};
    // Our pixels are 0xAARRGGBB words, SDL's ARGB8888; X11 at depth 24
    // gives an RGB888 surface, the same layout with the top byte unused.
    const uint32_t format = surface->format->format;
    const bool sameLayout = format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
    std::vector<SDL_Rect> rects;
    rects.reserve(dirty.size());
    auto* base = static_cast<uint8_t*>(surface->pixels);
    for (const gdi::Rect& d : dirty) {
        gdi::Rect r = gdi::Intersect(d, bounds);
        if (r.Empty())
            continue;
        const gdi::Pixel* src = backBuffer.Row(r.top) + r.left;
        uint8_t* dst = base + size_t(r.top) * size_t(surface->pitch) + size_t(r.left) * surface->format->BytesPerPixel;
        if (sameLayout) {
            for (int32_t y = 0; y < r.Height(); ++y)
                std::memcpy(dst + size_t(y) * size_t(surface->pitch), src + size_t(y) * size_t(backBuffer.Width()),
                            size_t(r.Width()) * 4);
        } else {
            SDL_ConvertPixels(r.Width(), r.Height(), SDL_PIXELFORMAT_ARGB8888, src, backBuffer.Width() * 4, format, dst,
                              surface->pitch);
        }
        rects.push_back({r.left, r.top, r.Width(), r.Height()});
    }
    if (!rects.empty() && SDL_UpdateWindowSurfaceRects(m_window, rects.data(), int(rects.size())) != 0)
        SDL_LogWarn(SDL_LOG_CATEGORY_APPLICATION, "present failed: %s", SDL_GetError());
}

void SdlBackend::PresentToRenderer(const gdi::Bitmap& backBuffer, const std::vector<gdi::Rect>& dirty)
{
    const gdi::Rect bounds{0, 0, std::min(backBuffer.Width(), m_width), std::min(backBuffer.Height(), m_height)};
    bool any = false;
    for (const gdi::Rect& d : dirty) {
        gdi::Rect r = gdi::Intersect(d, bounds);
        if (r.Empty())
            continue;
        SDL_Rect sr{r.left, r.top, r.Width(), r.Height()};
        SDL_UpdateTexture(m_texture, &sr, backBuffer.Row(r.top) + r.left, backBuffer.Width() * 4);
        any = true;
    }
    if (!any)
        return;
    // The renderer's back buffer holds nothing defined after a flip, so the
    // whole texture is drawn each time.
    SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
    SDL_RenderPresent(m_renderer);
}

std::string SdlBackend::PresentInfo() const
{
    if (!m_window)
        return "closed";
    if (m_renderer) {
        SDL_RendererInfo info{};
        SDL_GetRendererInfo(m_renderer, &info);
        return std::string("renderer ") + (info.name ? info.name : "?");
    }
    SDL_Surface* surface = SDL_GetWindowSurface(m_window);
    return std::string("window surface ") + (surface ? SDL_GetPixelFormatName(surface->format->format) : "?");
}

std::shared_ptr<app::Cursor> SdlBackend::LoadStandardCursor(app::StandardCursor which)
{
    if (!m_window)
        return nullptr;
    auto cursor = std::make_shared<SdlCursor>();
    cursor->session = m_session;
    SDL_SystemCursor id = SDL_SYSTEM_CURSOR_ARROW;
    switch (which) {
    case app::StandardCursor::Arrow: id = SDL_SYSTEM_CURSOR_ARROW; break;
    case app::StandardCursor::Hand: id = SDL_SYSTEM_CURSOR_HAND; break;
    case app::StandardCursor::Wait: id = SDL_SYSTEM_CURSOR_WAIT; break;
    case app::StandardCursor::IBeam: id = SDL_SYSTEM_CURSOR_IBEAM; break;
    case app::StandardCursor::None: return cursor;
    }
    SDL_Cursor* c = SDL_CreateSystemCursor(id);
    if (!c) {
        SDL_LogWarn(SDL_LOG_CATEGORY_APPLICATION, "no system cursor: %s", SDL_GetError());
        return nullptr;
    }
    cursor->frames.push_back(c);
    cursor->steps.push_back({0, 0});
    return cursor;
}

std::shared_ptr<app::Cursor> SdlBackend::LoadCursorFile(const std::string& path)
{
    CursorImage image;
    std::string error;
    if (!LoadCursor(path, image, error)) {
        SDL_LogWarn(SDL_LOG_CATEGORY_APPLICATION, "cursor %s: %s", path.c_str(), error.c_str());
        return nullptr;
    }
    return MakeCursor(image);
}

std::shared_ptr<app::Cursor> SdlBackend::MakeCursor(const CursorImage& image)
{
    if (!m_window || image.frames.empty() || image.steps.empty())
        return nullptr;
    for (const CursorStep& step : image.steps)
        if (step.frame >= image.frames.size())
            return nullptr;
    auto cursor = std::make_shared<SdlCursor>();
    cursor->session = m_session;
    for (const CursorFrame& frame : image.frames) {
        // SDL copies the pixels, so the surface may wrap ours for the call.
        auto* pixels = const_cast<gdi::Pixel*>(frame.image.Row(0));
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(pixels, frame.image.Width(), frame.image.Height(), 32,
                                                            frame.image.Width() * 4, SDL_PIXELFORMAT_ARGB8888);
        SDL_Cursor* c = s ? SDL_CreateColorCursor(s, frame.hotX, frame.hotY) : nullptr;
        SDL_FreeSurface(s);
        if (!c) {
            SDL_LogWarn(SDL_LOG_CATEGORY_APPLICATION, "cannot make a cursor: %s", SDL_GetError());
            return nullptr; // the frames made so far go with the cursor object
        }
        cursor->frames.push_back(c);
    }
    cursor->steps = image.steps;
    return cursor;
}

void SdlBackend::SetCursor(const std::shared_ptr<app::Cursor>& cursor)
{
    if (!m_window)
        return;
    auto c = std::dynamic_pointer_cast<SdlCursor>(cursor);
    m_cursor = c;
    m_animation = {};
    if (c && c->frames.empty()) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    SDL_ShowCursor(SDL_ENABLE);
    if (!c) {
        SDL_SetCursor(SDL_GetDefaultCursor());
        return;
    }
    m_animation = CursorAnimation(c->steps, SDL_GetTicks64());
    SDL_SetCursor(c->frames[m_animation.Frame()]);
}

void SdlBackend::AnimateCursor(uint64_t now)
{
    if (m_cursor && m_animation.Advance(now))
        SDL_SetCursor(m_cursor->frames[m_animation.Frame()]);
}

void SdlBackend::Minimize()
{
    if (m_window)
        SDL_MinimizeWindow(m_window);
}

void SdlBackend::Restore()
{
    if (m_window)
        SDL_RestoreWindow(m_window);
}

void SdlBackend::MessageBox(const std::string& title, const std::string& text)
{
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title.c_str(), text.c_str(), m_window) != 0)
        SDL_LogError(SDL_LOG_CATEGORY_APPLICATION, "%s: %s (no message box: %s)", title.c_str(), text.c_str(),
                     SDL_GetError());
}

bool SdlBackend::KeyHeld(uint32_t virtualKey) const
{
    int count = 0;
    const uint8_t* state = SDL_GetKeyboardState(&count);
    for (SDL_Scancode sc : ScancodesOf(virtualKey))
        if (int(sc) < count && state[sc])
            return true;
    return false;
}

void SdlBackend::SetNumLock(bool on)
{
    SDL_Keymod mod = SDL_GetModState();
    SDL_SetModState(SDL_Keymod(on ? (mod | KMOD_NUM) : (mod & ~KMOD_NUM)));
    if (m_window && !SetSystemNumLock(m_window, on))
        SDL_LogInfo(SDL_LOG_CATEGORY_APPLICATION, "Num Lock changed for this program only");
}

bool SdlBackend::NumLockOn() const { return (SDL_GetModState() & KMOD_NUM) != 0; }

app::JoystickState SdlBackend::ReadJoystick(int32_t n)
{
    app::JoystickState state;
    std::lock_guard lock(m_joystickMutex);
    if (!m_joysticksReady || n < 0)
        return state;
    // SDL's joystick lock keeps the event pump on the user-interface thread
    // from updating or dropping a device while we read it.
    SDL_LockJoysticks();
    // Unplugged devices never come back under the same instance id.
    for (auto it = m_joysticks.begin(); it != m_joysticks.end();) {
        if (SDL_JoystickGetAttached(it->second)) {
            ++it;
            continue;
        }
        SDL_JoystickClose(it->second);
        it = m_joysticks.erase(it);
    }
    if (n < SDL_NumJoysticks()) {
        SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(n);
        SDL_Joystick*& joystick = m_joysticks[id];
        if (!joystick)
            joystick = SDL_JoystickOpen(n);
        if (joystick) {
            state.present = true;
            state.xMin = state.yMin = -32768;
            state.xMax = state.yMax = 32767;
            int axes = SDL_JoystickNumAxes(joystick);
            state.x = axes > 0 ? SDL_JoystickGetAxis(joystick, 0) : 0;
            state.y = axes > 1 ? SDL_JoystickGetAxis(joystick, 1) : 0;
            int buttons = SDL_JoystickNumButtons(joystick);
            for (int b = 0; b < 4 && b < buttons; ++b)
                state.buttons[b] = SDL_JoystickGetButton(joystick, b) != 0;
        } else {
            m_joysticks.erase(id);
        }
    }
    SDL_UnlockJoysticks();
    return state;
}

} // namespace kestrava::sdl
