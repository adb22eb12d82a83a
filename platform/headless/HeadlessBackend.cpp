#include "platform/headless/HeadlessBackend.h"

#include "platform/gdi/FileAccess.h"

#include <algorithm>
#include <chrono>
#include <fstream>

namespace kestrava::app {

HeadlessBackend::HeadlessBackend(int32_t width, int32_t height, int32_t bitsPerPixel)
    : m_width(width), m_height(height), m_bits(bitsPerPixel)
{
}

bool HeadlessBackend::Open(std::string& error)
{
    if (m_width <= 0 || m_height <= 0) {
        error = "headless screen has no pixels";
        return false;
    }
    m_frame.SetSize(m_width, m_height);
    m_open = true;
    return true;
}

void HeadlessBackend::Close() { m_open = false; }

std::optional<Event> HeadlessBackend::WaitEvent(int32_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_lock);
    auto ready = [this] { return !m_queue.empty() || m_woken; };
    if (timeoutMs < 0)
        m_cv.wait(lock, ready);
    else if (timeoutMs > 0)
        m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    m_woken = false;
    if (m_queue.empty())
        return std::nullopt;
    Event e = m_queue.front();
    m_queue.pop_front();
    // The held-key table follows delivery, so a handler asking whether a
    // key is down sees the state of its own event.
    if (e.type == Event::Type::KeyDown)
        m_held.insert(e.key);
    else if (e.type == Event::Type::KeyUp)
        m_held.erase(e.key);
    else if (e.type == Event::Type::Deactivate)
        m_held.clear();
    return e;
}

void HeadlessBackend::Wake()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_woken = true;
    }
    m_cv.notify_all();
}

void HeadlessBackend::Push(const Event& event)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_queue.push_back(event);
    }
    m_cv.notify_all();
}

void HeadlessBackend::PushKeyDown(uint32_t vk, Modifiers modifiers)
{
    Event e;
    e.type = Event::Type::KeyDown;
    e.key = vk;
    e.modifiers = modifiers;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        e.repeat = !m_scripted.insert(vk).second;
    }
    Push(e);
}

void HeadlessBackend::PushKeyUp(uint32_t vk, Modifiers modifiers)
{
    Event e;
    e.type = Event::Type::KeyUp;
    e.key = vk;
    e.modifiers = modifiers;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_scripted.erase(vk);
    }
    Push(e);
}

void HeadlessBackend::PushKey(uint32_t vk, Modifiers modifiers)
{
    PushKeyDown(vk, modifiers);
    PushKeyUp(vk, modifiers);
}

void HeadlessBackend::PushChar(uint8_t ch)
{
    Event e;
    e.type = Event::Type::Char;
    e.ch = ch;
    Push(e);
}

void HeadlessBackend::PushTypedKey(uint32_t vk, uint8_t ch, Modifiers modifiers)
{
    PushKeyDown(vk, modifiers);
    PushChar(ch);
    PushKeyUp(vk, modifiers);
}

void HeadlessBackend::PushMouseMove(int32_t x, int32_t y)
{
    Event e;
    e.type = Event::Type::MouseMove;
    e.x = x;
    e.y = y;
    Push(e);
}

namespace {
Event MouseEvent(Event::Type type, int32_t x, int32_t y, MouseButton button, Modifiers modifiers)
{
    Event e;
    e.type = type;
    e.x = x;
    e.y = y;
    e.button = button;
    e.modifiers = modifiers;
    return e;
}
} // namespace

void HeadlessBackend::PushMouseDown(int32_t x, int32_t y, MouseButton button, Modifiers modifiers)
{
    Push(MouseEvent(Event::Type::MouseDown, x, y, button, modifiers));
}

void HeadlessBackend::PushMouseUp(int32_t x, int32_t y, MouseButton button, Modifiers modifiers)
{
    Push(MouseEvent(Event::Type::MouseUp, x, y, button, modifiers));
}

void HeadlessBackend::PushClick(int32_t x, int32_t y, MouseButton button)
{
    PushMouseMove(x, y);
    PushMouseDown(x, y, button);
    PushMouseUp(x, y, button);
}

void HeadlessBackend::PushDoubleClick(int32_t x, int32_t y)
{
    PushClick(x, y);
    Push(MouseEvent(Event::Type::MouseDouble, x, y, MouseButton::Left, {}));
    PushMouseUp(x, y);
}

void HeadlessBackend::PushWheel(int32_t x, int32_t y, int32_t delta)
{
    Event e;
    e.type = Event::Type::MouseWheel;
    e.x = x;
    e.y = y;
    e.wheel = delta;
    Push(e);
}

void HeadlessBackend::PushFocus(bool gained)
{
    Event e;
    e.type = gained ? Event::Type::Activate : Event::Type::Deactivate;
    if (!gained) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_scripted.clear();
    }
    Push(e);
}

void HeadlessBackend::PushQuit()
{
    Event e;
    e.type = Event::Type::Quit;
    Push(e);
}

void HeadlessBackend::PushTerminate()
{
    Event e;
    e.type = Event::Type::Terminate;
    Push(e);
}

size_t HeadlessBackend::PendingEvents() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_queue.size();
}

void HeadlessBackend::SetJoystick(int32_t n, const JoystickState& state)
{
    if (n < 0 || n > 1)
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    m_joysticks[n] = state;
}

JoystickState HeadlessBackend::ReadJoystick(int32_t n)
{
    if (n < 0 || n > 1)
        return {};
    std::lock_guard<std::mutex> guard(m_lock);
    return m_joysticks[n];
}

bool HeadlessBackend::KeyHeld(uint32_t virtualKey) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_held.count(virtualKey) != 0;
}

void HeadlessBackend::SetNumLock(bool on) { m_numLock = on; }

void HeadlessBackend::Present(const gdi::Bitmap& backBuffer, const std::vector<gdi::Rect>& dirty)
{
    ++m_presentCount;
    if (m_frame.Width() != backBuffer.Width() || m_frame.Height() != backBuffer.Height())
        m_frame.SetSize(backBuffer.Width(), backBuffer.Height());
    for (const gdi::Rect& d : dirty) {
        const gdi::Rect r = gdi::Intersect(d, {0, 0, m_frame.Width(), m_frame.Height()});
        if (r.Empty())
            continue;
        for (int32_t y = r.top; y < r.bottom; ++y) {
            const gdi::Pixel* src = backBuffer.Row(y) + r.left;
            std::copy(src, src + r.Width(), m_frame.Row(y) + r.left);
        }
        m_presented.push_back(r);
    }
}

bool HeadlessBackend::SaveFrame(const std::string& path, std::string* error) const
{
    return gdi::SavePng(path, m_frame, error);
}

std::shared_ptr<Cursor> HeadlessBackend::LoadStandardCursor(StandardCursor which)
{
    switch (which) {
    case StandardCursor::Arrow:
        return std::make_shared<HeadlessCursor>("arrow");
    case StandardCursor::Hand:
        return std::make_shared<HeadlessCursor>("hand");
    case StandardCursor::Wait:
        return std::make_shared<HeadlessCursor>("wait");
    case StandardCursor::IBeam:
        return std::make_shared<HeadlessCursor>("ibeam");
    case StandardCursor::None:
        break;
    }
    return std::make_shared<HeadlessCursor>("none");
}

std::shared_ptr<Cursor> HeadlessBackend::LoadCursorFile(const std::string& path)
{
    if (!IsReadableRegularFile(path))
        return nullptr;
    return std::make_shared<HeadlessCursor>(path);
}

void HeadlessBackend::SetCursor(const std::shared_ptr<Cursor>& cursor) { m_cursor = cursor; }

std::string HeadlessBackend::CurrentCursorName() const
{
    const auto* c = dynamic_cast<const HeadlessCursor*>(m_cursor.get());
    return c != nullptr ? c->name : std::string();
}

void HeadlessBackend::Minimize()
{
    m_minimized = true;
    Event e;
    e.type = Event::Type::Minimized;
    Push(e);
}

void HeadlessBackend::Restore()
{
    m_minimized = false;
    Event e;
    e.type = Event::Type::Restored;
    Push(e);
}

void HeadlessBackend::MessageBox(const std::string& title, const std::string& text) { m_boxes.push_back({title, text}); }

} // namespace kestrava::app
