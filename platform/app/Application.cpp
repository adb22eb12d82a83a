#include "platform/app/Application.h"

#include "platform/app/Keys.h"

#include <algorithm>
#include <cmath>

namespace kestrava::app {

namespace {

bool Overlap(const gdi::Rect& a, const gdi::Rect& b) { return !gdi::Intersect(a, b).Empty(); }

bool Contains(const gdi::Rect& outer, const gdi::Rect& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The topmost control at (x, y), given in the parent's coordinates.
Control* Hit(Control& c, int32_t x, int32_t y)
{
    if (!c.Visible() || !c.Enabled())
        return nullptr;
    const gdi::Rect& b = c.Bounds();
    if (x < b.left || y < b.top || x >= b.right || y >= b.bottom)
        return nullptr;
    const int32_t lx = x - b.left;
    const int32_t ly = y - b.top;
    const auto& children = c.Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (Control* hit = Hit(**it, lx, ly))
            return hit;
    return c.HitTest(lx, ly) ? &c : nullptr;
}

// The hint's look: the system's tooltip, a small Arial on pale yellow.
constexpr gdi::ColorRef kHintBack = gdi::Rgb(255, 255, 225);
constexpr gdi::ColorRef kHintFrame = gdi::Rgb(0, 0, 0);
constexpr int32_t kHintPadX = 4;
constexpr int32_t kHintPadY = 2;
constexpr int32_t kHintBelowPointer = 20;

// The hint's pixels at the user-interface scale.
int32_t AtScale(int32_t v, double k) { return static_cast<int32_t>(std::lround(v * k)); }

gdi::Font HintFont(double k)
{
    gdi::Font f;
    f.family = "Arial";
    f.height = AtScale(12, k);
    f.color = gdi::Rgb(0, 0, 0);
    return f;
}

} // namespace

Application::Application(Backend& backend, Clock& clock) : m_backend(backend), m_loop(clock, &backend)
{
    m_form.m_app = this;
    m_loop.onEvent = [this](const Event& e) { HandleEvent(e); };
    m_loop.onIdle = [this] { Update(); };
}

Application::~Application()
{
    m_loop.onEvent = nullptr;
    m_loop.onIdle = nullptr;
    // Controls the host keeps may outlive the form; they must not reach back
    // into a dead application.
    for (Control* child : std::vector<Control*>(m_form.Children()))
        child->SetParent(nullptr);
    m_form.m_app = nullptr;
}

bool Application::Open(std::string& error)
{
    if (!m_backend.Open(error))
        return false;
    m_backBuffer.SetSize(m_backend.ScreenWidth(), m_backend.ScreenHeight());
    m_form.SetBounds(0, 0, m_backBuffer.Width(), m_backBuffer.Height());
    m_defaultCursor = m_backend.LoadStandardCursor(StandardCursor::Arrow);
    InvalidateScreen({0, 0, m_backBuffer.Width(), m_backBuffer.Height()});
    RefreshCursor();
    return true;
}

void Application::Close() { m_backend.Close(); }

// ---------------------------------------------------------------- events

void Application::HandleEvent(const Event& e)
{
    switch (e.type) {
    case Event::Type::KeyDown:
    case Event::Type::KeyUp:
    case Event::Type::Char:
        Key(e);
        break;
    case Event::Type::MouseMove:
        MouseMove(e.x, e.y, e.modifiers);
        break;
    case Event::Type::MouseDown:
    case Event::Type::MouseDouble:
    case Event::Type::MouseUp:
        MouseButtonEvent(e);
        break;
    case Event::Type::MouseWheel:
        // The control under the mouse (the pressed one while a button is
        // held) first, then its parents up to the form, until one takes it.
        for (Control* c = m_capture != nullptr ? m_capture : ControlAt(e.x, e.y); c != nullptr; c = c->Parent()) {
            int32_t x = e.x;
            int32_t y = e.y;
            c->ScreenToClient(x, y);
            if (c->MouseWheel(e.wheel, x, y))
                break;
        }
        break;
    case Event::Type::Activate:
        m_active = true;
        if (m_form.OnActivate)
            m_form.OnActivate();
        break;
    case Event::Type::Deactivate:
        // The window loses the mouse with the focus: a button held while
        // switching away is never released here.
        m_active = false;
        CancelCapture();
        HideHint();
        if (m_form.OnDeactivate)
            m_form.OnDeactivate();
        break;
    case Event::Type::Minimized:
        if (m_form.OnMinimize)
            m_form.OnMinimize();
        break;
    case Event::Type::Restored:
        if (m_form.OnRestore)
            m_form.OnRestore();
        InvalidateScreen({0, 0, ScreenWidth(), ScreenHeight()});
        break;
    case Event::Type::Expose:
        InvalidateScreen({0, 0, ScreenWidth(), ScreenHeight()});
        break;
    case Event::Type::Quit: {
        bool canClose = true;
        if (m_form.OnCloseQuery)
            m_form.OnCloseQuery(canClose);
        if (canClose)
            m_loop.Quit();
        break;
    }
    case Event::Type::Terminate:
        if (m_form.OnTerminate)
            m_form.OnTerminate();
        else
            m_loop.Quit();
        break;
    }
}

Control* Application::ControlAt(int32_t x, int32_t y) { return Hit(m_form, x, y); }

void Application::UpdateHover(int32_t x, int32_t y)
{
    Control* now = ControlAt(x, y);
    if (now == m_hover)
        return;
    Control* old = m_hover;
    m_hover = now;
    if (old != nullptr)
        old->MouseLeave();
    // A leave handler may have changed the tree; enter only what is still
    // under the mouse.
    if (now != nullptr && m_hover == now)
        now->MouseEnter();
}

void Application::MouseMove(int32_t x, int32_t y, Modifiers modifiers)
{
    m_mouseX = x;
    m_mouseY = y;
    m_mouseKnown = true;
    HideHint();
    // While a button is held the pressed control keeps the mouse: it gets
    // every move, and enter and leave wait for the release.
    if (m_capture == nullptr)
        UpdateHover(x, y);
    Control* target = m_capture != nullptr ? m_capture : m_hover;
    if (target != nullptr) {
        int32_t lx = x;
        int32_t ly = y;
        target->ScreenToClient(lx, ly);
        target->MouseMove(lx, ly, modifiers);
    }
    ArmHint();
    RefreshCursor();
}

void Application::MouseButtonEvent(const Event& e)
{
    m_mouseX = e.x;
    m_mouseY = e.y;
    m_mouseKnown = true;
    HideHint();
    if (e.type == Event::Type::MouseUp) {
        Control* target = m_capture != nullptr ? m_capture : ControlAt(e.x, e.y);
        if (target == nullptr)
            return;
        const bool releases = m_capture != nullptr && e.button == m_captureButton;
        if (releases)
            m_capture = nullptr;
        int32_t x = e.x;
        int32_t y = e.y;
        target->ScreenToClient(x, y);
        const bool clicks = releases && m_clickTarget == target;
        target->MouseUp(e.button, x, y, e.modifiers);
        // A click is a press and a release over the same control; the
        // handler above may have destroyed it, which clears m_clickTarget.
        if (clicks && m_clickTarget == target && e.button == MouseButton::Left) {
            m_clickTarget = nullptr;
            if (target->HitTest(x, y))
                target->Click();
        }
        if (releases) {
            m_clickTarget = nullptr;
            UpdateHover(e.x, e.y);
            RefreshCursor();
        }
        return;
    }

    const bool captured = m_capture != nullptr;
    Control* target = captured ? m_capture : ControlAt(e.x, e.y);
    if (target == nullptr)
        return;
    int32_t x = e.x;
    int32_t y = e.y;
    target->ScreenToClient(x, y);
    // The system counts a double click by time and distance alone; a Ctrl
    // or Shift press, or a press on another control or line, is a press of
    // its own (Ctrl+clicking the next line quickly must not start the first).
    const bool plain = !e.modifiers.ctrl && !e.modifiers.shift;
    const bool isDouble = e.type == Event::Type::MouseDouble && plain && m_lastPressPlain && m_lastPress == target &&
                          m_lastPressButton == e.button && target->CompletesDoubleClick(x, y);
    m_lastPress = isDouble ? nullptr : target;
    m_lastPressButton = e.button;
    m_lastPressPlain = plain;
    if (!captured) {
        m_capture = target;
        m_captureButton = e.button;
        // Only a single press can end in a click; the second press of a
        // double click brings DblClick instead.
        m_clickTarget = isDouble ? nullptr : target;
    }
    SetFocusVisible(false);
    if (target->FocusOnPress())
        SetFocus(target);
    if (isDouble) {
        target->DblClick();
        if (m_capture != target && !captured)
            return; // the handler removed it
    }
    target->MouseDown(e.button, x, y, e.modifiers);
}

bool Application::StaleRepeat(const Event& e)
{
    switch (e.type) {
    case Event::Type::KeyDown: {
        const auto [at, first] = m_keyPressedAt.try_emplace(e.key, m_focusMoves);
        if (!e.repeat)
            at->second = m_focusMoves;
        m_repeatDropped = e.repeat && !first && at->second != m_focusMoves;
        if (m_repeatDropped)
            m_keyFocusSet = false;
        return m_repeatDropped;
    }
    case Event::Type::KeyUp:
        m_keyPressedAt.erase(e.key);
        m_repeatDropped = false;
        return false;
    case Event::Type::Char: {
        const bool dropped = m_repeatDropped;
        m_repeatDropped = false;
        return dropped;
    }
    default:
        return false;
    }
}

void Application::Key(const Event& e)
{
    if (e.type == Event::Type::KeyDown)
        HideHint();
    if (StaleRepeat(e))
        return;
    Control* focus = m_focus;
    if (e.type == Event::Type::Char && m_keyFocusSet) {
        // The character of a key that just went down belongs to the control
        // that had the focus then, as on a desktop where the character is
        // addressed when the key is translated, before its handler runs.
        focus = m_keyFocus;
        m_keyFocusSet = false;
    }
    if (focus != nullptr && (!focus->Showing() || !focus->EnabledInTree()))
        focus = nullptr;
    if (e.type == Event::Type::KeyDown && focus == nullptr) {
        FocusForKey();
        focus = m_focus;
    }
    if (e.type == Event::Type::KeyDown) {
        m_keyFocus = focus;
        m_keyFocusSet = true;
    } else if (e.type == Event::Type::KeyUp) {
        m_keyFocusSet = false;
    }
    // Without a focused control the form is the receiver; with key preview
    // it hears every key first and may swallow it.
    // Then the focused control's scope hears what the control left.
    Control* targets[3] = {nullptr, nullptr, nullptr};
    if (m_form.keyPreview || focus == nullptr)
        targets[0] = &m_form;
    if (focus != nullptr && focus != &m_form)
        targets[1] = focus;
    if (focus != nullptr && !focus->FocusScope())
        if (Control* scope = focus->ScopeOf(); scope != nullptr && scope != &m_form)
            targets[2] = scope;
    if (e.type == Event::Type::Char) {
        uint8_t ch = e.ch;
        Control* const focusBefore = m_focus;
        for (Control* t : targets) {
            if (t == nullptr)
                continue;
            // The form's handler may have moved the focus away.
            if (t != &m_form && m_focus != focusBefore)
                break;
            t->KeyPress(ch);
            if (ch == 0)
                break;
        }
        return;
    }
    uint32_t key = e.key;
    for (Control* t : targets) {
        if (t == nullptr)
            continue;
        if (t != &m_form && m_focus != focus)
            break;
        if (e.type == Event::Type::KeyDown)
            t->KeyDown(key, e.modifiers);
        else
            t->KeyUp(key, e.modifiers);
        if (key == 0)
            break;
    }
    if (e.type != Event::Type::KeyDown || key == 0 || focus == nullptr || m_focus != focus)
        return;
    if (key == VK_TAB && !e.modifiers.ctrl && !e.modifiers.alt) {
        if (MoveFocus(e.modifiers.shift))
            SetFocusVisible(true);
    }
}

bool Application::Focusable(const Control* control) const
{
    return control != nullptr && control->CanFocus() && control->Showing() && control->EnabledInTree();
}

std::vector<Control*> Application::TabOrder(Control& scope) const
{
    std::vector<Control*> order;
    if (scope.tabOrder) {
        for (Control* c : scope.tabOrder())
            if (Focusable(c))
                order.push_back(c);
        return order;
    }
    std::vector<Control*> stack(scope.Children().rbegin(), scope.Children().rend());
    while (!stack.empty()) {
        Control* c = stack.back();
        stack.pop_back();
        if (!c->Visible() || c->FocusScope())
            continue;
        if (Focusable(c))
            order.push_back(c);
        stack.insert(stack.end(), c->Children().rbegin(), c->Children().rend());
    }
    return order;
}

bool Application::MoveFocus(bool backwards)
{
    Control* scope = m_focus != nullptr ? m_focus->ScopeOf() : nullptr;
    if (scope == nullptr)
        return false;
    const std::vector<Control*> order = TabOrder(*scope);
    if (order.empty())
        return false;
    const auto it = std::find(order.begin(), order.end(), m_focus);
    size_t next = 0;
    if (it == order.end())
        next = backwards ? order.size() - 1 : 0;
    else if (backwards)
        next = (size_t(it - order.begin()) + order.size() - 1) % order.size();
    else
        next = (size_t(it - order.begin()) + 1) % order.size();
    return SetFocus(order[next]);
}

Control* Application::ActiveScope()
{
    // Depth first from the top of the z-order: the first scope that shows.
    std::vector<Control*> stack(m_form.Children().begin(), m_form.Children().end());
    while (!stack.empty()) {
        Control* c = stack.back();
        stack.pop_back();
        if (!c->Visible() || !c->Enabled())
            continue;
        if (c->FocusScope())
            return c;
        stack.insert(stack.end(), c->Children().begin(), c->Children().end());
    }
    return nullptr;
}

void Application::FocusForKey()
{
    Control* scope = ActiveScope();
    if (scope == nullptr)
        return;
    Control* remembered = scope->m_rememberedFocus;
    if (Focusable(remembered))
        SetFocus(remembered);
    else
        SetFocus(scope);
}

void Application::SetFocusVisible(bool visible)
{
    if (visible == m_focusVisible)
        return;
    m_focusVisible = visible;
    if (m_focus != nullptr)
        m_focus->Invalidate();
}

bool Application::SetFocus(Control* control)
{
    // A scope passes the focus on to its default control; one that has
    // it already keeps it where it is.
    if (control != nullptr && control->FocusScope() && m_focus != nullptr && m_focus != control &&
        control->IsAncestorOf(m_focus))
        return true;
    if (control != nullptr && control->FocusScope()) {
        const std::vector<Control*> order = TabOrder(*control);
        if (!order.empty()) {
            const auto it = std::find(order.begin(), order.end(), control->defaultFocus);
            control = it != order.end() ? *it : order.front();
        }
    }
    if (control != nullptr && control != m_focus &&
        (!control->CanFocus() || !control->Showing() || !control->EnabledInTree()))
        return false;
    if (control != nullptr)
        if (Control* scope = control->ScopeOf())
            scope->m_rememberedFocus = control;
    if (control == m_focus)
        return true;
    Control* old = m_focus;
    m_focus = control;
    ++m_focusMoves;
    if (old != nullptr) {
        old->Invalidate();
        old->FocusExit();
    }
    // An exit handler may have moved the focus on by itself.
    if (control != nullptr && m_focus == control) {
        control->Invalidate();
        control->FocusEnter();
    }
    return true;
}

void Application::CancelCapture()
{
    Control* held = m_capture;
    m_capture = nullptr;
    m_clickTarget = nullptr;
    if (held != nullptr)
        held->CaptureLost();
}

void Application::ControlGone(Control* control)
{
    auto drop = [control](Control*& ref) {
        if (ref != nullptr && control->IsAncestorOf(ref))
            ref = nullptr;
    };
    drop(m_hover);
    drop(m_capture);
    if (m_focus != nullptr && control->IsAncestorOf(m_focus)) {
        m_focus = nullptr;
        ++m_focusMoves;
    }
    drop(m_keyFocus);
    drop(m_clickTarget);
    drop(m_lastPress);
    if (m_hintControl != nullptr && control->IsAncestorOf(m_hintControl)) {
        m_hintControl = nullptr;
        HideHint();
    }
}

void Application::ControlLostInput(Control* control)
{
    if (m_capture != nullptr && control->IsAncestorOf(m_capture))
        CancelCapture();
    if (m_focus != nullptr && control->IsAncestorOf(m_focus))
        SetFocus(nullptr);
    if (m_hintControl != nullptr && control->IsAncestorOf(m_hintControl)) {
        m_hintControl = nullptr;
        HideHint();
    }
    if (m_hover != nullptr && control->IsAncestorOf(m_hover)) {
        if (m_mouseKnown && m_capture == nullptr) {
            UpdateHover(m_mouseX, m_mouseY);
        } else {
            Control* old = m_hover;
            m_hover = nullptr;
            old->MouseLeave();
        }
    }
    RefreshCursor();
}

// ---------------------------------------------------------------- cursors

void Application::SetDefaultCursor(std::shared_ptr<Cursor> cursor)
{
    m_defaultCursor = std::move(cursor);
    RefreshCursor();
}

void Application::SetOverrideCursor(std::shared_ptr<Cursor> cursor)
{
    m_overrideCursor = std::move(cursor);
    RefreshCursor();
}

void Application::RefreshCursor()
{
    std::shared_ptr<Cursor> want = m_overrideCursor;
    if (!want) {
        for (Control* c = m_capture != nullptr ? m_capture : m_hover; c != nullptr && !want; c = c->Parent())
            want = c->GetCursor();
    }
    if (!want)
        want = m_defaultCursor;
    if (m_cursorSet && want == m_currentCursor)
        return;
    m_currentCursor = want;
    m_cursorSet = true;
    m_backend.SetCursor(want);
}

// ---------------------------------------------------------------- hints

void Application::ArmHint()
{
    if (m_hintTimer != 0) {
        m_loop.KillTimer(m_hintTimer);
        m_hintTimer = 0;
    }
    m_hintControl = nullptr;
    if (m_capture != nullptr || m_hover == nullptr || m_hover->Hint().empty())
        return;
    m_hintControl = m_hover;
    m_hintTimer = m_loop.SetTimer(kHintDelayMs, false, [this] {
        m_hintTimer = 0;
        ShowHint();
    });
}

void Application::ShowHint()
{
    if (m_hintControl == nullptr || m_hintControl != m_hover || m_capture != nullptr || !m_active)
        return;
    m_hintText = m_hintControl->Hint();
    const gdi::Size text = gdi::MeasureText(HintFont(m_uiScale), m_hintText);
    const int32_t w = text.cx + 2 * AtScale(kHintPadX, m_uiScale);
    const int32_t h = text.cy + 2 * AtScale(kHintPadY, m_uiScale);
    int32_t x = std::clamp(m_mouseX, 0, std::max(ScreenWidth() - w, 0));
    int32_t y = m_mouseY + AtScale(kHintBelowPointer, m_uiScale);
    // No room below the pointer: above it.
    if (y + h > ScreenHeight())
        y = std::max(m_mouseY - h - 2, 0);
    m_hintRect = {x, y, x + w, y + h};
    m_hintVisible = true;
    InvalidateScreen(m_hintRect);
}

void Application::HideHint()
{
    if (m_hintTimer != 0) {
        m_loop.KillTimer(m_hintTimer);
        m_hintTimer = 0;
    }
    if (!m_hintVisible)
        return;
    m_hintVisible = false;
    InvalidateScreen(m_hintRect);
}

void Application::PaintHint(const gdi::Rect& screenClip)
{
    if (!m_hintVisible)
        return;
    const gdi::Rect r = gdi::Intersect(m_hintRect, screenClip);
    if (r.Empty())
        return;
    Canvas canvas(m_backBuffer.Handle(), m_hintRect.left, m_hintRect.top, r);
    canvas.pen = {kHintFrame, AtScale(1, m_uiScale), gdi::PenStyle::Solid};
    canvas.brush = {kHintBack, gdi::BrushStyle::Solid};
    canvas.Rectangle(0, 0, m_hintRect.Width(), m_hintRect.Height());
    canvas.font = HintFont(m_uiScale);
    canvas.brush.style = gdi::BrushStyle::Clear;
    canvas.TextOut(AtScale(kHintPadX, m_uiScale), AtScale(kHintPadY, m_uiScale), m_hintText);
}

// ---------------------------------------------------------------- painting

void Application::InvalidateScreen(const gdi::Rect& screenRect)
{
    const gdi::Rect r = gdi::Intersect(screenRect, {0, 0, ScreenWidth(), ScreenHeight()});
    if (r.Empty())
        return;
    for (const gdi::Rect& d : m_dirty)
        if (Contains(d, r))
            return;
    m_dirty.push_back(r);
}

void Application::MergeDirty()
{
    // Overlapping rectangles become their bounding box, until none overlap:
    // a pixel is painted once per frame, and the list stays short.
    bool merged = true;
    while (merged) {
        merged = false;
        for (size_t i = 0; i < m_dirty.size() && !merged; ++i)
            for (size_t j = i + 1; j < m_dirty.size() && !merged; ++j)
                if (Overlap(m_dirty[i], m_dirty[j])) {
                    m_dirty[i] = gdi::Union(m_dirty[i], m_dirty[j]);
                    m_dirty.erase(m_dirty.begin() + static_cast<std::ptrdiff_t>(j));
                    merged = true;
                }
    }
}

namespace {

// Whether control, or something in it, paints every pixel of the screen
// rectangle r with its own face.
bool HidesBeneath(const Control& control, const gdi::Rect& r)
{
    if (!control.Visible() || !Contains(control.ScreenRect(), r))
        return false;
    if (control.Opaque())
        return true;
    const auto& children = control.Children();
    return std::any_of(children.rbegin(), children.rend(),
                       [&r](const Control* child) { return HidesBeneath(*child, r); });
}

} // namespace

void Application::PaintTree(Control& control, const gdi::Rect& screenClip)
{
    if (!control.Visible())
        return;
    const gdi::Rect screen = control.ScreenRect();
    const gdi::Rect r = gdi::Intersect(screen, screenClip);
    if (r.Empty())
        return;
    // A child that covers the whole repaint with its own pixels hides this
    // face and the children below it (the test area under its parents'
    // backgrounds): they are not painted only to be painted over.
    const auto& children = control.Children();
    size_t first = children.size();
    while (first > 0 && !HidesBeneath(*children[first - 1], r))
        --first;
    if (first == 0) {
        Canvas canvas(m_backBuffer.Handle(), screen.left, screen.top, r);
        control.Paint(canvas, canvas.ClipRect());
    } else {
        --first;
    }
    for (size_t i = first; i < children.size(); ++i)
        PaintTree(*children[i], r);
    if (&control == m_focus && m_focusVisible && !m_snapshot && m_focusPainter) {
        const gdi::Rect frame = control.FocusRect();
        if (!frame.Empty()) {
            Canvas canvas(m_backBuffer.Handle(), screen.left, screen.top, r);
            m_focusPainter(canvas, frame);
        }
    }
}

void Application::PaintNow(const gdi::Rect& screenRect)
{
    const gdi::Rect r = gdi::Intersect(screenRect, {0, 0, ScreenWidth(), ScreenHeight()});
    if (r.Empty())
        return;
    InvalidateScreen(r);
    m_snapshot = true;
    PaintTree(m_form, r);
    m_snapshot = false;
}

void Application::Update()
{
    if (m_dirty.empty() || m_backBuffer.Empty() || m_painting)
        return;
    m_painting = true;
    ++m_frameNumber;
    MergeDirty();
    // What controls invalidate while they paint lands in a fresh list, for
    // the next frame.
    std::vector<gdi::Rect> frame;
    frame.swap(m_dirty);
    for (const gdi::Rect& r : frame) {
        PaintTree(m_form, r);
        PaintHint(r);
    }
    m_backend.Present(m_backBuffer, frame);
    m_painting = false;
}

} // namespace kestrava::app
